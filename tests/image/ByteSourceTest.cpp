#include <gtest/gtest.h>

#include "image/ByteSource.h"
#include "support/TempDir.h"

using namespace quelo;

// Fields keep every byte at full width; 16-bit values from 32768 are out of range.
TEST(ByteSource, ReadsFieldsAtFullWidthWithinTheirRanges) {
  const std::vector<uint8_t> bytes = {0, 0, 0x80, 1, 0, 1, 0, 0, 0xFF, 0x7F, 0, 0x80};
  ByteSource in;
  in.OpenMemory(bytes.data(), bytes.size());
  EXPECT_EQ(in.ReadLongBE(), 32769);
  EXPECT_EQ(in.ReadLongBE(), 65536);
  EXPECT_EQ(in.ReadIntegerLE(), 0x7FFF);
  EXPECT_FALSE(in.Failed());
  EXPECT_EQ(in.ReadIntegerLE(), 0);
  EXPECT_TRUE(in.Failed());
}

// A file is read through a buffer: reads across it, larger than it, after
// moving back and forth, and past the end of the file.
TEST(ByteSource, ReadsAFileAcrossItsBufferAndFailsPastTheEnd) {
  test::TempDir dir;
  std::vector<uint8_t> big(100000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7 + i / 251);
  test::WriteAll(dir.File("big.bin"), big);
  ByteSource in;
  ASSERT_TRUE(in.OpenFile(dir.File("big.bin"), 10));
  EXPECT_EQ(in.ReadByte(), big[9]);
  const uint8_t* span = in.ReadSpan(70000);
  ASSERT_NE(span, nullptr);
  EXPECT_TRUE(std::equal(span, span + 70000, big.begin() + 10));
  in.SetPosition(21);
  EXPECT_EQ(in.GetPosition(), 21);
  EXPECT_EQ(in.ReadByte(), big[20]);
  in.SetPosition(99990);
  EXPECT_EQ(in.ReadByte(), big[99989]);
  EXPECT_EQ(in.ReadSpan(20), nullptr);  // 10 bytes left
  EXPECT_TRUE(in.Failed());
  EXPECT_FALSE(in.OpenFile(dir.File("missing.bin"), 1));
  EXPECT_FALSE(in.OpenFile(dir.File("big.bin"), 0));

  // An array position set past the end reads back as set; the next read fails.
  in.OpenMemory(big.data(), 10);
  in.SetPosition(1000);
  EXPECT_EQ(in.GetPosition(), 1000);
  EXPECT_EQ(in.ReadLongBE(), 0);
  EXPECT_TRUE(in.Failed());
}
