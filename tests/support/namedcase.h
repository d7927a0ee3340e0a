#pragma once

// Names for the cases of parameterised tests.
//
// A case struct derives from NamedCase and starts its initialiser with the name:
//
//     struct LimitCase : Test::NamedCase { EditOperation operation; ... };
//     INSTANTIATE_TEST_SUITE_P(Cases, Limit, ::testing::Values(LimitCase{"InsertRowAt255", ...}),
//                              Test::CaseName());
//
// The listing then shows ".../InsertRowAt255" and a failure prints the name, instead of
// an index and the case's raw bytes.

#include <gtest/gtest.h>

#include <concepts>
#include <ostream>
#include <string>

namespace Kernwick::Test {

struct NamedCase
{
    const char *name;
};

/// Found by argument-dependent lookup through the base class; more constrained than
/// GoogleTest's own printer, so it wins.
template <std::derived_from<NamedCase> Case> void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

/// The name generator for INSTANTIATE_TEST_SUITE_P: the case's name, with every
/// character GoogleTest does not accept in a test name turned into '_'.
struct CaseName
{
    template <std::derived_from<NamedCase> Case>
    std::string operator()(const ::testing::TestParamInfo<Case> &info) const
    {
        std::string name = info.param.name;
        for (char &c : name) {
            const bool accepted = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                  (c >= '0' && c <= '9') || c == '_';
            if (!accepted)
                c = '_';
        }
        return name;
    }
};

} // namespace Kernwick::Test
