// data_event_items_test.cpp
#include <gtest/gtest.h>
