// Names parameterised test cases after their `name` field, as GoogleTest allows them.
#pragma once
#include <gtest/gtest.h>
#include <ctype.h>
#include <string>

struct NameOfCase {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const
    {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!isalnum((unsigned char)ch))
                ch = '_';
        return name;
    }
};
