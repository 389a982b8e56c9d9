// channel_map_records_test.cpp
#include <gtest/gtest.h>
