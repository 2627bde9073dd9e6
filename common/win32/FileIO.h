#pragma once
// The system's calls that open, rename, replace and delete files, one home
// for each, every opening named for the sharing it asks for. They translate
// and decide nothing: what to try again and what to move aside is the
// callers' (WindowsCopySystem, the update log, the turn).
//
// Paths are UTF-16, as the W calls take them (WideLongPath for names that
// may be long). An empty handle is a failure, its error kept for
// GetLastError; the other calls give ERROR_SUCCESS or the system's error.
#include <windows.h>

#include <string>

#include "common/win32/Handles.h"

namespace kolvex {

// An existing file for reading, while others go on reading, writing,
// renaming and deleting it (a log, a report, a program that runs).
UniqueFile OpenForReadingSharedWithAll(const std::wstring& path, DWORD flags = FILE_ATTRIBUTE_NORMAL);
// An existing file for reading, while others may only read it: a file that
// someone is writing is refused.
UniqueFile OpenForReadingSharedForReading(const std::wstring& path);
// An existing file for reading, while others may read, rename and delete
// it but not write it: the source of a copy, opened as the system's own
// copy opens one (a publisher may rename the file on the share meanwhile).
UniqueFile OpenForReadingSharedExceptWriting(const std::wstring& path, DWORD flags = FILE_ATTRIBUTE_NORMAL);
// An existing file for writing, shared with no one: refused while anyone
// else has it open in any way.
UniqueFile OpenForWritingAlone(const std::wstring& path);
// A new file, or an existing one emptied, for writing, shared with no one.
UniqueFile CreateForWritingAlone(const std::wstring& path);
// A new file for writing, shared with no one: refused (ERROR_FILE_EXISTS)
// when anything of that name is there already, a link someone made included.
UniqueFile CreateNewForWritingAlone(const std::wstring& path);
// The file as it stands, or a new one with attributes, with access
// (GENERIC_WRITE, with GENERIC_READ or without), shared with no one: refused
// with ERROR_SHARING_VIOLATION while anyone else has it open.
UniqueFile OpenOrCreateAlone(const std::wstring& path, DWORD access, DWORD attributes);
// The same, shared with those who only read it and let it be written
// meanwhile (a viewer of a log): refused while anyone else writes it or
// keeps it from being written.
UniqueFile OpenOrCreateBesideReaders(const std::wstring& path, DWORD access, DWORD attributes);

// A folder itself, never what a link in its place leads to
// (FILE_FLAG_OPEN_REPARSE_POINT), with access (its attributes, its rights),
// while others go on doing anything with it.
UniqueFile OpenFolderItself(const std::wstring& path, DWORD access);

// An existing pipe for reading and writing with exactly access, its
// server allowed to learn who the client is but never to act as them
// (identification-level security), for overlapped use.
UniqueFile OpenPipeIdentifyingOnly(const std::wstring& name, DWORD access);

// An existing file for renaming or deleting, shared with all: refused with
// ERROR_SHARING_VIOLATION only while someone has it open without delete
// sharing (not while it merely runs).
UniqueFile OpenForRenaming(const std::wstring& path);

// Renames from to to, which must not exist; within one directory, the
// processes that run the file keep running it.
DWORD RenameFile(const std::wstring& from, const std::wstring& to);
// Puts from in to's place in one step, over an existing to: a reader sees
// the old file or the new one, never neither.
DWORD ReplaceByRenaming(const std::wstring& from, const std::wstring& to);
// Removes the file.
DWORD DeleteFileNamed(const std::wstring& path);

// ERROR_SUCCESS when a call succeeded (ok), the error it left otherwise.
DWORD LastErrorUnless(BOOL ok);

}  // namespace kolvex
