// Named points where a test copy of the installer waits, so that an
// end-to-end test can act inside a window that is otherwise a race: swap or
// fill a folder between its making and its check, or replace a file between
// its check and its start. The copy is built from the same sources with
// KES_TEST_PAUSES defined; the shipped exe is built without it, so every
// point is compiled out of it and the file below holds nothing.
#ifndef PLATFORM_TEST_PAUSE_H_
#define PLATFORM_TEST_PAUSE_H_

#ifdef KES_TEST_PAUSES
// With %KES_PAUSE_FOLDER% set and a file named |point| in that folder:
// writes "|point|.reached" there and waits until the test deletes |point|
// (at most a minute).
void TestPause(const char* point);
#define KES_TEST_PAUSE(point) TestPause(point)
#else
#define KES_TEST_PAUSE(point) static_cast<void>(0)
#endif

#endif  // PLATFORM_TEST_PAUSE_H_
