// broadcast_text_test.cpp
#include <gtest/gtest.h>
