#pragma once

#include <string>

#include <gtest/gtest.h>

// Lists each case of a parameterised test by its own `name`.
struct CaseName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};
