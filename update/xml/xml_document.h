// The launcher's XML document model: a document owns every element and attribute it creates,
// linked or not, until it is destroyed. Parsing and output belong to an implementation
// (`TinyXmlDocument`).
//
// Errors of the model are thrown as the message text itself, a `const char*`:
// `kXmlNoRoot`, `kXmlForeignElement` and `kXmlAlreadyLinked`.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "update/xml/xml_attribute.h"
#include "update/xml/xml_element.h"

namespace update {

inline constexpr const char* kXmlNoRoot = "The root element does not exist";
inline constexpr const char* kXmlForeignElement =
    "Elements created in this document is not received";
inline constexpr const char* kXmlAlreadyLinked = "This element is the parent node already exists";

class XmlDocument {
  public:
    XmlDocument();
    virtual ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // The root element; throws `kXmlNoRoot` when none is set.
    virtual XmlElement* root() const;
    // Makes `element` the root and returns it. Throws `kXmlForeignElement` when this document
    // did not create it, and `kXmlAlreadyLinked` when it is the root already or has a parent.
    // A previous root simply stops being the root.
    virtual XmlElement* setRoot(XmlElement* element);
    // A new unlinked element named `name` (copied), owned by this document.
    virtual XmlElement* createElement(const char* name);
    // A new attribute with copies of both texts, owned by this document.
    virtual XmlAttribute* createAttribute(const char* name, const char* value);

    // Writes the document to `path`, after a declaration (version "1.0", encoding "utf-8") when
    // `declaration` is 1. Never throws: false without a root or when the file cannot be written.
    virtual bool saveFile(const char* path, int declaration) = 0;
    // The document as text, indented by four blanks per level. Throws `kXmlNoRoot` without a
    // root.
    virtual std::string toString(int declaration) = 0;
    // Parses `text` and adds its element tree, which becomes the root. False, with the document
    // unchanged, when the text is not XML or has no root element.
    virtual bool loadString(const std::string& text) = 0;
    // As `loadString`, with the content of the file at `path`.
    virtual bool loadFile(const char* path) = 0;

  private:
    std::vector<std::unique_ptr<XmlElement>> elements_;
    std::vector<std::unique_ptr<XmlAttribute>> attributes_;
    XmlElement* root_ = nullptr;
};

}  // namespace update
