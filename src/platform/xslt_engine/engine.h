#pragma once
// The entry point of the XSLT module. Both texts are whole XML documents in
// UTF-8. Returns 0 with the serialized result, or non-zero with the reason,
// in a malloc'ed, NUL-terminated text the caller frees.
#include <cstddef>

extern "C" int quillon_xslt_transform(const char* source, size_t sourceSize, const char* style,
                                      size_t styleSize, char** result, size_t* resultSize);

using QuillonXsltTransform = decltype(&quillon_xslt_transform);
