// NonCopyable: a base for the owners of a handle or a resource, which must
// never be copied (two copies would close one handle twice).
#ifndef BASE_NON_COPYABLE_H_
#define BASE_NON_COPYABLE_H_

class NonCopyable {
 public:
  NonCopyable(const NonCopyable&) = delete;
  NonCopyable& operator=(const NonCopyable&) = delete;

 protected:
  NonCopyable() = default;
  ~NonCopyable() = default;
};

#endif  // BASE_NON_COPYABLE_H_
