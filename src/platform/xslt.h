#pragma once
// Applies an XSLT 1.0 style sheet to a subtree of a package document, e.g. to
// show the compliance checks as HTML.
#include <pugixml.hpp>

#include <string>

#include "quillon/xml_document.h"

namespace quillon::platform::xml {

// Returns the result serialized as the style sheet's xsl:output asks, always in
// UTF-8. The style sheet may not read or write files, create folders or use
// the network. Throws quillon::Error with the processor's messages when the
// style sheet does not compile or the transform fails.
std::string transform(pugi::xml_node node, const XmlDocument& stylesheet);

}  // namespace quillon::platform::xml
