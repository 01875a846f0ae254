#include "update/xml/xml_attribute.h"

namespace update {

XmlAttribute::XmlAttribute(const char* name, const char* value) : name_(name), value_(value) {}

XmlAttribute::~XmlAttribute() = default;

const char* XmlAttribute::getName() const { return name_.get(); }

XmlAttribute* XmlAttribute::setName(const char* name) {
    name_.set(name);
    return this;
}

const char* XmlAttribute::getValue() const { return value_.get(); }

XmlAttribute* XmlAttribute::setValue(const char* value) {
    value_.set(value);
    return this;
}

}  // namespace update
