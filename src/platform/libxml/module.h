#pragma once
// The entry points of the libxml2 module (libquillon_libxml.so): the XSLT
// transform and the streaming package reader. The library loads it only when
// one of them runs, so libxml2, libxslt and ICU cost no other command its
// start-up. Plain C between the two, so that no exception crosses.
#include <cstddef>
#include <cstdint>

// Both texts are whole XML documents in UTF-8. Returns 0 with the serialized
// result, or non-zero with the reason, in a malloc'ed, NUL-terminated text the
// caller frees.
extern "C" int quillon_xslt_transform(const char* source, size_t sourceSize, const char* style,
                                      size_t styleSize, char** result, size_t* resultSize);

// One field of a package record: the element's name and all the character
// data below it. Valid during the call that hands it over.
struct QuillonXmlField {
  const char* name;
  size_t nameSize;
  const char* text;
  size_t textSize;
};

// What the reader hands over, in document order. A callback returns 0 to go
// on and anything else to stop the reading (QUILLON_READ_STOPPED).
struct QuillonPackageVisitor {
  void* context;
  // An element at the table level; `tagEnd` is the offset in the input, from
  // the first byte read, of the '>' or "/>" that ends its start tag. `*want`
  // is set to 0 to pass over its records.
  int (*table)(void* context, const char* name, size_t nameSize, uint64_t tagEnd, int* want);
  // The offset just past the table element's end tag.
  int (*tableEnd)(void* context, uint64_t end);
  int (*record)(void* context, const QuillonXmlField* fields, size_t count);
};

enum QuillonReadStatus {
  QUILLON_READ_OK = 0,
  QUILLON_READ_NOT_WELL_FORMED = 1,
  QUILLON_READ_NOT_UTF8 = 2,
  QUILLON_READ_DOCTYPE = 3,
  QUILLON_READ_OUT_OF_MEMORY = 4,
  QUILLON_READ_STOPPED = 5,
  QUILLON_READ_IO = 6,
  QUILLON_READ_NO_TABLE_ROOT = 7,
};

// Reads bytes [from, to) of the open file `fd` (to 0: its end) after the
// bytes of `prefix`, as one document. With `tablesAtRoot` 0 the root must be
// named "Table" and its children are the tables; with 1 the root is the
// table (a table element's content, its start tag given as the prefix).
// Records are the table's children named "Record", fields their children.
// Returns a QuillonReadStatus and, on failure, a description in `detail`.
extern "C" int quillon_read_package(int fd, uint64_t from, uint64_t to, const char* prefix, size_t prefixSize,
                                    int tablesAtRoot, const QuillonPackageVisitor* visitor, char* detail,
                                    size_t detailSize);

using QuillonXsltTransform = decltype(&quillon_xslt_transform);
using QuillonReadPackage = decltype(&quillon_read_package);
