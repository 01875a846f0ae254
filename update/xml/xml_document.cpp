#include "update/xml/xml_document.h"

#include <algorithm>

namespace update {

XmlDocument::XmlDocument() = default;

XmlDocument::~XmlDocument() = default;

XmlElement* XmlDocument::root() const {
    if (!root_) throw kXmlNoRoot;
    return root_;
}

XmlElement* XmlDocument::setRoot(XmlElement* element) {
    const bool created = std::any_of(
        elements_.rbegin(), elements_.rend(),
        [element](const std::unique_ptr<XmlElement>& own) { return own.get() == element; });
    if (!created) throw kXmlForeignElement;
    if (element == root_ || element->parent()) throw kXmlAlreadyLinked;
    root_ = element;
    return element;
}

XmlElement* XmlDocument::createElement(const char* name) {
    elements_.push_back(std::make_unique<XmlElement>(this, name));
    return elements_.back().get();
}

XmlAttribute* XmlDocument::createAttribute(const char* name, const char* value) {
    attributes_.push_back(std::make_unique<XmlAttribute>(name, value));
    return attributes_.back().get();
}

}  // namespace update
