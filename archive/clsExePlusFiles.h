// Reader of the SXAR archive appended to an executable: finds where the archive
// begins from the executable's own headers (PE or ELF), reads the header and the
// directory once, and answers questions about the members. Member data is never
// read here, except by FileExport, which copies one member out to a file.
//
// Positions handed out or taken count bytes from 1 (position 1 = first byte).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace quelo {

struct SxarHeader {
  char Magic[4] = {0, 0, 0, 0};
  uint32_t Version = 0;
  int32_t Count = 0;
  uint32_t Reserved = 0;
};

struct SxarEntry {
  std::string Name;  // UTF-8, decoded from code page 932
  int32_t Offset = 0;
  int32_t Size = 0;
  int16_t Flags = 0;
  int32_t Reserved = 0;
};

class clsExePlusFiles {
 public:
  clsExePlusFiles();

  // Byte offset at which the archive begins (the executable's original size), or -1.
  int32_t GetOriginalFileSize(const std::string& FileName = std::string());
  bool OpenExe(const std::string& FileName = std::string());
  int16_t GetFileIndexFromOffset(int32_t Offset) const;
  int16_t GetFileIndex(const std::string& FileName) const;
  int32_t FileCount() const { return header_.Count; }
  // These four throw QueloError 9 for an index outside the directory.
  std::string FileName(int16_t Index) const;
  int32_t FileSize(int16_t Index) const;
  int16_t FileFlags(int16_t Index) const;
  int32_t FileOffset(int16_t Index) const;
  std::string ExeFileName() const;
  // Copies member Index to FileName; shows its own failure messages, never
  // throws. True when the member's bytes were written in full.
  bool FileExport(int16_t Index, const std::string& FileName);
  std::string GetFileExt(int16_t Index) const;
  bool FileExist(const std::string& FileName = std::string()) const;

  const std::string& ExeDir() const { return exeDir_; }
  const std::string& ArchiveFileName() const { return archiveFileName_; }
  int32_t ArchiveStart() const { return archiveStart_; }
  int32_t DataStart() const { return dataStart_; }
  const SxarHeader& Header() const { return header_; }

 private:
  friend struct CopyFileBinProbe;  // lets the tests call the private copy directly

  const SxarEntry& Entry(int16_t Index, const char* operation) const;
  void Clear();
  // Copies CopyLength bytes (below 1: up to the end of the source) from the
  // source's current position to the destination in pieces of BufferSize bytes.
  // False when the source ended before the copy was complete (what existed was
  // written). Raises QueloError for a bad buffer size, a negative length or a
  // failed write.
  static bool CopyFileBin(std::FILE* SourceFile, std::FILE* DestFile, int32_t CopyLength, int32_t BufferSize);

  std::string exeDir_;
  std::string archiveFileName_;
  int32_t archiveStart_ = 0;
  int32_t dataStart_ = 0;
  SxarHeader header_;
  std::vector<SxarEntry> entries_;
};

}  // namespace quelo
