// Whole-file read and write.
#pragma once

#include "services/text.h"

// The file's bytes; the empty buffer on any failure, for an empty file and
// for a file of 2 GiB or more.
ByteBuffer ReadWholeFile(const Text& path);
// Replaces the file's content with data; true when every byte is written and
// the file is in place.
bool WriteWholeFile(const Text& path, const ByteBuffer& data);
