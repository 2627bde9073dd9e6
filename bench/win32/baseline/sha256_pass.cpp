// sha256_pass FILE: one SHA-256 pass over FILE by the system's hash API
// (CryptoAPI, as Windows XP has it), read a megabyte at a time, and prints
// how many milliseconds it took. With the copy's floor, the floor of an
// update whose signature is checked: the check must read and hash the file.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

// Windows XP SP3's enhanced AES provider has SHA-256; the headers of XP
// before its service pack, which the build names, do not declare it.
constexpr ALG_ID kSha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;  // CALG_SHA_256

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  const HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  bool ok = file != INVALID_HANDLE_VALUE &&
            CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
            CryptCreateHash(provider, kSha256, 0, 0, &hash);
  std::vector<BYTE> buffer(1 << 20);
  for (DWORD read = 1; ok && read > 0;)
    ok = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
         (read == 0 || CryptHashData(hash, buffer.data(), read, 0));
  BYTE digest[32];
  DWORD size = sizeof digest;
  ok = ok && CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
  QueryPerformanceCounter(&end);
  if (hash) CryptDestroyHash(hash);
  if (provider) CryptReleaseContext(provider, 0);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!ok) return 1;
  std::printf("%lld\n", (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
  return 0;
}
