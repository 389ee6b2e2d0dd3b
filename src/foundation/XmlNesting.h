#pragma once

#include <tinyxml.h>

#include <string_view>

// Whether the elements of an XML text nest no deeper than limit. TinyXML
// parses recursively, so every file read through it is scanned first: a
// damaged or hostile file must not exhaust the stack. The scan is cheap and
// errs on the side of "too deep" only for texts that are no sound XML anyway.
bool XmlNestingWithin(std::string_view text, int limit);

// Parses text into doc, as far as its first zero byte, as TinyXML reads it.
// TinyXML steps over a UTF-8 sequence by the length its first byte announces,
// so a text that ends inside one would be read past its end: the text is
// handed over with zero bytes behind it for such a step to land on. Every
// text from outside goes through here (after XmlNestingWithin), never
// straight to TiXmlDocument::Parse.
void ParseXmlText(TiXmlDocument& doc, std::string_view text, TiXmlEncoding encoding);
