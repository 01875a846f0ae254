// An element of an `XmlDocument`: a name, an optional text, attributes and child elements.
//
// Elements and attributes are created and owned by their document; linking and unlinking only
// changes the lists here and never creates or destroys nodes. One element belongs under at most
// one parent: linking an element that is already linked elsewhere, or under itself, is the
// caller's error and is not checked.
#pragma once

#include <cstddef>
#include <vector>

#include "update/xml/xml_attribute.h"
#include "update/xml/xml_text.h"

namespace update {

class XmlDocument;

class XmlElement {
  public:
    XmlElement(XmlDocument* document, const char* name);
    virtual ~XmlElement();
    XmlElement(const XmlElement&) = delete;
    XmlElement& operator=(const XmlElement&) = delete;

    // Whether this is its document's root; throws the document's no-root message when the
    // document has none.
    virtual bool isRoot() const;
    virtual const char* getName() const;
    // Replaces the name; nullptr changes nothing.
    virtual void setName(const char* name);
    // The character content, or nullptr when none was set.
    virtual const char* text() const;
    // Replaces the text; nullptr changes nothing.
    virtual XmlElement* setText(const char* text);

    // Appends every child named `name` to `list`, in document order, and returns `list`.
    virtual std::vector<XmlElement*>& childrenByName(const char* name,
                                                     std::vector<XmlElement*>& list) const;
    virtual const std::vector<XmlElement*>& children() const;
    // The first child named `name`, or nullptr.
    virtual XmlElement* firstChild(const char* name) const;
    // Inserts before position `index` (0 is first; an index at or past the end appends).
    virtual XmlElement* insertChild(std::size_t index, XmlElement* child);
    virtual XmlElement* appendChild(XmlElement* child);
    // Unlinks `child` when it is one of the children; false otherwise.
    virtual bool removeChild(XmlElement* child);
    // Unlinks the first child named `name`; false when there is none.
    virtual bool removeFirstChild(const char* name);
    // Unlinks every child; false when there were none.
    virtual bool removeAllChildren();
    // Unlinks every child named `name`; true when at least one was.
    virtual bool removeChildren(const char* name);

    // The first attribute named `name`, or nullptr.
    virtual XmlAttribute* attribute(const char* name) const;
    virtual const std::vector<XmlAttribute*>& attributes() const;
    // The value of `attribute(name)`, or nullptr when there is no such attribute.
    virtual const char* attributeValue(const char* name) const;
    // Appends a new attribute made by the document; an attribute of the same name stays, so
    // names can repeat.
    virtual XmlElement* setAttribute(const char* name, const char* value);
    virtual XmlElement* addAttribute(XmlAttribute* attribute);
    virtual XmlElement* parent() const;
    // Unlinks this element from its parent, if it has one.
    virtual XmlElement* detach();

  private:
    XmlDocument* const document_;
    XmlElement* parent_ = nullptr;
    std::vector<XmlElement*> children_;
    std::vector<XmlAttribute*> attributes_;
    XmlText name_;
    XmlText text_;
};

}  // namespace update
