// Prints libplist's reading of a binary property-list file, one token per
// line, for plutil_oracle.py to compare with plistlib's tree: "dict N" then
// N pairs of "key HEX" and a value, "array N" then N values, "string HEX"
// (UTF-8), "integer U" (libplist keeps 64 bits without a sign), "real HEX"
// and "date HEX" (the 8 bytes of the double), "boolean true|false",
// "data HEX", or "digest SIZE FNV" for data above 64 KiB, "uid N".
// Prints nothing and exits 1 when libplist does not read the file.
#include <plist/plist.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

void Hex(const void* bytes, std::uint64_t size) {
  const auto* b = static_cast<const unsigned char*>(bytes);
  for (std::uint64_t i = 0; i < size; ++i) std::printf("%02x", b[i]);
}

void Bits(double value) {
  unsigned char bytes[8];
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, 8);
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  Hex(bytes, 8);
}

// libplist 2.2 hands out a date only as 32-bit seconds: its own binary
// writer gives the whole double it holds (object 0 at offset 8, 0x33).
void DateBits(plist_t node) {
  plist_t copy = plist_copy(node);
  char* bin = nullptr;
  uint32_t size = 0;
  plist_to_bin(copy, &bin, &size);
  plist_free(copy);
  if (bin && size >= 17 && static_cast<unsigned char>(bin[8]) == 0x33) Hex(bin + 9, 8);
  std::free(bin);
}

void Dump(plist_t node) {
  switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
      std::printf("dict %u\n", plist_dict_get_size(node));
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        if (!value) break;
        std::printf("key ");
        Hex(key, std::strlen(key));
        std::printf("\n");
        std::free(key);
        Dump(value);
      }
      std::free(it);
      return;
    }
    case PLIST_ARRAY:
      std::printf("array %u\n", plist_array_get_size(node));
      for (uint32_t i = 0; i < plist_array_get_size(node); ++i) Dump(plist_array_get_item(node, i));
      return;
    case PLIST_STRING: {
      char* s = nullptr;
      plist_get_string_val(node, &s);
      std::printf("string ");
      Hex(s, s ? std::strlen(s) : 0);
      std::free(s);
      break;
    }
    case PLIST_UINT: {
      uint64_t v = 0;
      plist_get_uint_val(node, &v);
      std::printf("integer %llu", static_cast<unsigned long long>(v));
      break;
    }
    case PLIST_REAL: {
      double v = 0;
      plist_get_real_val(node, &v);
      std::printf("real ");
      Bits(v);
      break;
    }
    case PLIST_DATE:
      std::printf("date ");
      DateBits(node);
      break;
    case PLIST_BOOLEAN: {
      uint8_t v = 0;
      plist_get_bool_val(node, &v);
      std::printf("boolean %s", v ? "true" : "false");
      break;
    }
    case PLIST_DATA: {
      char* d = nullptr;
      uint64_t size = 0;
      plist_get_data_val(node, &d, &size);
      if (size > 65536) {
        std::uint64_t h = 0xcbf29ce484222325ull;
        for (uint64_t i = 0; i < size; ++i)
          h = (h ^ static_cast<unsigned char>(d[i])) * 0x100000001b3ull;
        std::printf("digest %llu %llx", static_cast<unsigned long long>(size),
                    static_cast<unsigned long long>(h));
      } else {
        std::printf("data ");
        Hex(d, size);
      }
      std::free(d);
      break;
    }
    case PLIST_UID: {
      uint64_t v = 0;
      plist_get_uid_val(node, &v);
      std::printf("uid %llu", static_cast<unsigned long long>(v));
      break;
    }
    default:
      std::printf("unknown");
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  plist_t root = nullptr;
  plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  if (!root) return 1;
  Dump(root);
  plist_free(root);
  return 0;
}
