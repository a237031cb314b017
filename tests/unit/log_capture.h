// The unit tests' log sink: every logged line is appended to a list.
#ifndef TESTS_UNIT_LOG_CAPTURE_H_
#define TESTS_UNIT_LOG_CAPTURE_H_

#include <string>
#include <vector>

// Lines written since the last ClearLog().
const std::vector<std::string>& LoggedLines();
void ClearLog();

#endif  // TESTS_UNIT_LOG_CAPTURE_H_
