#pragma once

// HTML character references, as web pages and the recipe data inside them write text: the
// whole HTML5 named set (generated from the standard's list) and numeric references.
#include <string>
#include <string_view>

namespace savorel {

// Every character reference of `text` decoded once: "&acirc;" -> "â", "&#x219;" -> "ș",
// "&amp;lt;" -> "&lt;". A legacy name written without ";" is decoded only when no letter,
// digit or "=" follows it (so "?a=1&copy=2" stays as written), as browsers do in addresses.
// Anything else after "&" stays as it is.
std::string DecodeHtmlEntities(std::string_view text);

// The same text with each named reference replaced by numeric ones ("&abreve;" ->
// "&#x103;") and the rest left as it is, for an HTML parser that knows fewer names: what it
// decodes then is what DecodeHtmlEntities decodes.
std::string NamedEntitiesAsNumeric(std::string_view text);

} // namespace savorel
