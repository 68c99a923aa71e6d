// The platform calls of the whole-file read and write, gathered so that a test
// can stand in for one of them (a failing or short write, a failed flush,
// close or replace). Every member defaults to the real API.
#pragma once

#include <windows.h>

struct FilePlatform {
  decltype(&::CreateFileA) CreateFileA = ::CreateFileA;
  decltype(&::SetFilePointer) SetFilePointer = ::SetFilePointer;
  decltype(&::ReadFile) ReadFile = ::ReadFile;
  decltype(&::WriteFile) WriteFile = ::WriteFile;
  decltype(&::FlushFileBuffers) FlushFileBuffers = ::FlushFileBuffers;
  decltype(&::CloseHandle) CloseHandle = ::CloseHandle;
  decltype(&::GetFileAttributesA) GetFileAttributesA = ::GetFileAttributesA;
  decltype(&::MoveFileExA) MoveFileExA = ::MoveFileExA;
  decltype(&::DeleteFileA) DeleteFileA = ::DeleteFileA;
};

// The calls in use; a test changes members and restores them afterwards.
FilePlatform& CurrentFilePlatform();
