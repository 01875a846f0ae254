#include "update/xml/xml_element.h"

#include <algorithm>

#include "update/xml/xml_document.h"

namespace update {

XmlElement::XmlElement(XmlDocument* document, const char* name)
    : document_(document), name_(name) {}

XmlElement::~XmlElement() = default;

bool XmlElement::isRoot() const { return document_->root() == this; }

const char* XmlElement::getName() const { return name_.get(); }

void XmlElement::setName(const char* name) { name_.set(name); }

const char* XmlElement::text() const { return text_.get(); }

XmlElement* XmlElement::setText(const char* text) {
    text_.set(text);
    return this;
}

std::vector<XmlElement*>& XmlElement::childrenByName(const char* name,
                                                     std::vector<XmlElement*>& list) const {
    for (XmlElement* child : children_) {
        if (child->name_.equals(name)) list.push_back(child);
    }
    return list;
}

const std::vector<XmlElement*>& XmlElement::children() const { return children_; }

XmlElement* XmlElement::firstChild(const char* name) const {
    for (XmlElement* child : children_) {
        if (child->name_.equals(name)) return child;
    }
    return nullptr;
}

XmlElement* XmlElement::insertChild(std::size_t index, XmlElement* child) {
    if (!child) return this;
    index = std::min(index, children_.size());
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(index), child);
    child->parent_ = this;
    return this;
}

XmlElement* XmlElement::appendChild(XmlElement* child) {
    if (!child) return this;
    children_.push_back(child);
    child->parent_ = this;
    return this;
}

bool XmlElement::removeChild(XmlElement* child) {
    const auto found = std::find(children_.begin(), children_.end(), child);
    if (found == children_.end()) return false;
    children_.erase(found);
    child->parent_ = nullptr;
    return true;
}

bool XmlElement::removeFirstChild(const char* name) {
    XmlElement* child = firstChild(name);
    return child && removeChild(child);
}

bool XmlElement::removeAllChildren() {
    if (children_.empty()) return false;
    for (XmlElement* child : children_) child->parent_ = nullptr;
    children_.clear();
    return true;
}

bool XmlElement::removeChildren(const char* name) {
    const auto removed = std::remove_if(children_.begin(), children_.end(), [&](XmlElement* c) {
        if (!c->name_.equals(name)) return false;
        c->parent_ = nullptr;
        return true;
    });
    const bool any = removed != children_.end();
    children_.erase(removed, children_.end());
    return any;
}

XmlAttribute* XmlElement::attribute(const char* name) const {
    for (XmlAttribute* attribute : attributes_) {
        if (sameText(attribute->getName(), name)) return attribute;
    }
    return nullptr;
}

const std::vector<XmlAttribute*>& XmlElement::attributes() const { return attributes_; }

const char* XmlElement::attributeValue(const char* name) const {
    const XmlAttribute* found = attribute(name);
    return found ? found->getValue() : nullptr;
}

XmlElement* XmlElement::setAttribute(const char* name, const char* value) {
    return addAttribute(document_->createAttribute(name, value));
}

XmlElement* XmlElement::addAttribute(XmlAttribute* attribute) {
    if (attribute) attributes_.push_back(attribute);
    return this;
}

XmlElement* XmlElement::parent() const { return parent_; }

XmlElement* XmlElement::detach() {
    if (parent_) parent_->removeChild(this);
    return this;
}

}  // namespace update
