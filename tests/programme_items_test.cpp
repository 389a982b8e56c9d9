// programme_items_test.cpp
#include <gtest/gtest.h>
