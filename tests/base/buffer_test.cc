#include "base/buffer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

TEST(BufferTest, GrowsByItsIncrementAndStaysTerminated) {
  Buffer buffer(true, 100);
  EXPECT_EQ(buffer.capacity, 100u);
  EXPECT_EQ(buffer.length, 0u);
  for (int i = 0; i < 99; ++i) buffer.putChar('x');
  EXPECT_EQ(buffer.capacity, 100u);
  // The 100th byte needs room for its terminating NUL.
  buffer.putChar('y');
  EXPECT_EQ(buffer.capacity, 200u);
  EXPECT_EQ(buffer.length, 100u);
  EXPECT_EQ(buffer.data[100], '\0');
  EXPECT_EQ(buffer.data[99], 'y');
  EXPECT_EQ(strlen(buffer.data), 100u);
}

TEST(BufferTest, NulBytesAreCountedAndMayFillTheBuffer) {
  Buffer buffer(true, 4);
  for (char c : {'a', 'b', 'c'}) buffer.putChar(c);
  buffer.putChar('\0');
  EXPECT_EQ(buffer.length, 4u);
  EXPECT_EQ(buffer.capacity, 4u);
  EXPECT_STREQ(buffer.data, "abc");
  buffer.putChar('d');
  EXPECT_EQ(buffer.length, 5u);
  EXPECT_EQ(buffer.capacity, 8u);
  EXPECT_EQ(buffer.data[5], '\0');
}

TEST(BufferTest, ClearKeepsCapacityAndContentsSurviveGrowth) {
  Buffer buffer(true, 3);
  const char text[] = "the quick brown fox";
  for (const char *p = text; *p; ++p) buffer.putChar(*p);
  EXPECT_STREQ(buffer.data, text);
  size_t capacity = buffer.capacity;
  buffer.clear();
  EXPECT_EQ(buffer.length, 0u);
  EXPECT_EQ(buffer.capacity, capacity);
  EXPECT_STREQ(buffer.data, "");
}

TEST(BufferTest, StorageCanBeHandedOver) {
  char *taken;
  {
    Buffer buffer(false, 10);
    buffer.putChar('k');
    taken = buffer.data;
  }
  EXPECT_STREQ(taken, "k");
  free(taken);
}

}  // namespace
