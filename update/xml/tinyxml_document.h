// The XML document model on TinyXML: loading parses with TinyXML and copies the element tree
// into the model (names, texts, attributes and child elements; comments, declarations and other
// nodes are dropped); saving and printing build a TinyXML document from the model.
//
// Texts are refused before parsing when they contain a zero byte (TinyXML would silently stop
// there), nest elements deeper than `kMaxXmlDepth`, hold more than `kMaxXmlNodes` elements,
// attributes and other markup or give one element more than `kMaxXmlAttributes` attributes.
#pragma once

#include <string>

#include "update/xml/xml_document.h"

namespace update {

class TinyXmlDocument : public XmlDocument {
  public:
    // The file is written to a new temporary file beside `path` (see platform/os/file_replace.h:
    // never through a link), synced and renamed over it, so the old file stays whole when
    // writing fails. The new file has mode 0666 less the umask.
    bool saveFile(const char* path, int declaration) override;
    std::string toString(int declaration) override;
    bool loadString(const std::string& text) override;
    // Reads a regular file of at most `kMaxXmlFileSize` bytes (a pipe or device is refused
    // without waiting on it); line ends are read as TinyXML
    // reads them from a file (CR LF and lone CR become LF).
    bool loadFile(const char* path) override;
};

inline constexpr long long kMaxXmlFileSize = 64LL << 20;

}  // namespace update
