#include <gtest/gtest.h>

#include "image/ByteSource.h"
#include "support/TempDir.h"

using namespace quelo;

namespace {
const std::vector<uint8_t> kBytes = {0x00, 0x00, 0x80, 0x01, 0x00, 0x01, 0x00, 0x00,
                                     0xFF, 0x7F, 0x00, 0x80, 0x03, 'a', 'b', 'c'};
}

// The same reads must give the same values from an array and from a file at an
// offset; only the numbering of positions differs (index from 0, file from 1).
TEST(ByteSource, ReadsTheSameFromMemoryAndFromAFileAtAnOffset) {
  test::TempDir dir;
  std::vector<uint8_t> file(3 + kBytes.size(), 9);
  std::copy(kBytes.begin(), kBytes.end(), file.begin() + 3);
  test::WriteAll(dir.File("f.bin"), file);

  ByteSource memory;
  memory.OpenMemory(kBytes.data(), kBytes.size());
  ByteSource disk;
  ASSERT_TRUE(disk.OpenFile(dir.File("f.bin"), 4));
  EXPECT_EQ(memory.GetPosition(), 0);
  EXPECT_EQ(disk.GetPosition(), 4);

  for (ByteSource* in : {&memory, &disk}) {
    const int64_t start = in->GetPosition();
    EXPECT_EQ(in->ReadLongBE(), 32769);
    EXPECT_EQ(in->ReadLongBE(), 65536);
    EXPECT_EQ(in->ReadIntegerLE(), 0x7FFF);
    EXPECT_EQ(in->GetPosition(), start + 10);
    in->SetPosition(start + 12);
    EXPECT_EQ(in->ReadPascalString(), "abc");  // odd length: no pad byte
    EXPECT_FALSE(in->Failed());
    EXPECT_EQ(in->Remaining(), 0);
    in->SetPosition(start);
    EXPECT_EQ(in->ReadIntegerBE(), 0);
    EXPECT_EQ(in->ReadLongLE(), 0x01000180);
    EXPECT_FALSE(in->Failed());
  }
}

TEST(ByteSource, FieldsOutOfRangeMarkTheSourceFailed) {
  ByteSource in;
  in.OpenMemory(kBytes.data(), kBytes.size());
  in.SetPosition(10);
  EXPECT_EQ(in.ReadIntegerLE(), 0);  // 0x8000
  EXPECT_TRUE(in.Failed());

  const std::vector<uint8_t> topBit = {0x80, 0, 0, 0};
  in.OpenMemory(topBit.data(), topBit.size());
  EXPECT_FALSE(in.Failed());
  in.ReadLongBE();
  EXPECT_TRUE(in.Failed());
}

TEST(ByteSource, ReadsPastTheEndFailAndYieldZeros) {
  test::TempDir dir;
  test::WriteAll(dir.File("f.bin"), kBytes);
  ByteSource memory;
  memory.OpenMemory(kBytes.data(), kBytes.size());
  ByteSource disk;
  ASSERT_TRUE(disk.OpenFile(dir.File("f.bin"), 1));
  for (ByteSource* in : {&memory, &disk}) {
    in->SetPosition(in->GetPosition() + 14);
    uint8_t out[4] = {1, 1, 1, 1};
    in->ReadBytes(out, 4);
    EXPECT_TRUE(in->Failed());
    EXPECT_EQ(out[0] + out[1] + out[2] + out[3], 0);
    EXPECT_EQ(in->ReadByte(), 0);
  }
  // A position set past the end reads back as set, and the next read fails.
  memory.OpenMemory(kBytes.data(), kBytes.size());
  memory.SetPosition(1000);
  EXPECT_EQ(memory.GetPosition(), 1000);
  EXPECT_EQ(memory.Remaining(), 0);
  memory.ReadByte();
  EXPECT_TRUE(memory.Failed());
}

TEST(ByteSource, PascalStringsOccupyAnEvenNumberOfBytes) {
  const std::vector<uint8_t> bytes = {0, 0, 1, 'x', 2, 'h', 'i', 0, 1, 0xB1, 0xFF};
  ByteSource in;
  in.OpenMemory(bytes.data(), bytes.size());
  EXPECT_EQ(in.ReadPascalString(), "");
  EXPECT_EQ(in.GetPosition(), 2);
  EXPECT_EQ(in.ReadPascalString(), "x");
  EXPECT_EQ(in.GetPosition(), 4);
  EXPECT_EQ(in.ReadPascalString(), "hi");
  EXPECT_EQ(in.GetPosition(), 8);
  EXPECT_EQ(in.ReadPascalString(), "ｱ");  // one byte of the ANSI code page
  EXPECT_FALSE(in.Failed());
}

TEST(ByteSource, LargeReadsFromAFileCrossTheBuffer) {
  test::TempDir dir;
  std::vector<uint8_t> big(100000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7 + i / 251);
  test::WriteAll(dir.File("big.bin"), big);
  ByteSource in;
  ASSERT_TRUE(in.OpenFile(dir.File("big.bin"), 1));
  in.SetPosition(10);
  EXPECT_EQ(in.ReadByte(), big[9]);
  const uint8_t* span = in.ReadSpan(70000);
  ASSERT_NE(span, nullptr);
  EXPECT_TRUE(std::equal(span, span + 70000, big.begin() + 10));
  in.SetPosition(99990);
  EXPECT_EQ(in.ReadByte(), big[99989]);
  EXPECT_EQ(in.ReadSpan(20), nullptr);  // only 10 bytes left
  EXPECT_TRUE(in.Failed());

  EXPECT_FALSE(in.OpenFile(dir.File("missing.bin"), 1));
  EXPECT_FALSE(in.OpenFile(dir.File("big.bin"), 0));
}
