#pragma once
// Assertions on the exact message texts that the library raises.

#include "tslc/Exceptions.h"

#include <gtest/gtest.h>

#include <exception>
#include <string>

namespace tslc::test {

// The message of whatever action raised, or "(nothing raised)".
template <typename Fn>
std::string MessageOf(Fn&& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing raised)";
}

// action must raise ETclError with exactly message.
template <typename Fn>
void ExpectTclError(Fn&& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no ETclError, expected: " << message;
    } catch (const ETclError& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

} // namespace tslc::test
