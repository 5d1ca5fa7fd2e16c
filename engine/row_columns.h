// The rows of a conversion kept in memory, column by column: the three
// values of each output row as the converter computed them, before they
// were formatted as text.
#pragma once

#include <cstddef>
#include <vector>

struct RowColumns {
    std::vector<double> first;
    std::vector<double> second;
    std::vector<double> third;

    std::size_t Size() const { return first.size(); }
    void Add(double a, double b, double c)
    {
        first.push_back(a);
        second.push_back(b);
        third.push_back(c);
    }
};
