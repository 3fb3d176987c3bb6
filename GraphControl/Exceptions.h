// The exceptions of the diagram library. Every failure the library reports is
// an EGraphException carrying its message text; the derived classes tell the
// kinds apart. Messages of the control are English, those of the stream reader
// and the file layer German.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace gc {

class EGraphException : public std::runtime_error {
 public:
  explicit EGraphException(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// Index and enumeration errors of TGraphObjectList.
class EListError : public EGraphException {
  using EGraphException::EGraphException;
};

// Invalid point index of a link's point list.
class EPointListError : public EGraphException {
  using EGraphException::EGraphException;
};

// An operation that the object's current state does not allow.
class EGraphInvalidOperation : public EGraphException {
  using EGraphException::EGraphException;
};

// An object that cannot be created as asked: a link whose ends refused it
// (OnCanLinkObjects, OnCanHookLink, an object that is not linkable), an
// abstract class. TGraphControl::AddNode and AddLink answer it with null.
class EGraphCreateRefused : public EGraphInvalidOperation {
  using EGraphInvalidOperation::EGraphInvalidOperation;
};

// Invalid content of a diagram stream.
class EGraphStreamError : public EGraphException {
  using EGraphException::EGraphException;
};

// Errors of the property stream reader (German messages).
class EReadError : public EGraphException {
  using EGraphException::EGraphException;
};

// A file could not be opened for reading.
class EFOpenError : public EGraphException {
  using EGraphException::EGraphException;
};

// A file could not be created for writing.
class EFCreateError : public EGraphException {
  using EGraphException::EGraphException;
};

// An assignment between incompatible objects.
class EInvalidCast : public EGraphException {
  using EGraphException::EGraphException;
};

namespace detail {
inline const char* FormatArg(const std::string& s) { return s.c_str(); }
inline const char* FormatArg(const char* s) { return s; }
template <class T>
requires std::is_arithmetic_v<T> T FormatArg(T v) { return v; }
}  // namespace detail

// printf-style formatting of an exception message, e.g.
// Format("Index out of range (%d)", index). Strings may be passed as std::string.
template <class... Args>
std::string Format(const char* format, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return format;
  } else {
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, format, detail::FormatArg(args)...);
    if (n < 0) return format;
    if (static_cast<size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, detail::FormatArg(args)...);
    out.resize(static_cast<size_t>(n));
    return out;
  }
}

}  // namespace gc
