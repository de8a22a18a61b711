#pragma once
// The library's exception types. Every one carries a message text only; what() returns it.

#include <stdexcept>
#include <string>

namespace tslc {

/// The base type of every exception the library raises (the Tcl library's own load failures are
/// raised as this type itself).
class Exception : public std::runtime_error {
public:
    /// Takes the message text, which what() and Message() return.
    explicit Exception(const std::string& message)
        : std::runtime_error(message) {}
    /// The message text, as a std::string.
    std::string Message() const { return what(); }
};

/// A failure of a component, with a text from the library's message table.
class ETclError : public Exception {
public:
    /// Takes the message text.
    using Exception::Exception;
};

/// An input/output failure of the runtime (resources, files).
class EInOutError : public Exception {
public:
    /// Takes the message text.
    using Exception::Exception;
};

/// A text that does not convert, or a format that does not fit its arguments.
class EConvertError : public Exception {
public:
    /// Takes the message text.
    using Exception::Exception;
};

} // namespace tslc
