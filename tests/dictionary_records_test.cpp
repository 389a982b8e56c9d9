// dictionary_records_test.cpp
#include <gtest/gtest.h>
