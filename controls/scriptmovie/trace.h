// The call trace tests read to see what a host did to its controls. When the environment
// variable VEXO_SCRIPTMOVIE_TRACE names a file, every call and event is appended to it as one
// line: "<instance> <Member>" and then " <field>" for each field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "controls/control_abi.h"

namespace controls::scriptmovie {

// Backslash becomes "\\" and newline "\n", so one entry is always one line.
std::string escapeTraceText(std::string_view text);

// A call's argument as a trace field: integers in decimal, true/false, strings escaped,
// and "<empty>" for an empty variant.
std::string traceField(const platform::control_abi::Variant& value);

// The fields are written as given: text from outside goes through escapeTraceText first.
std::string formatTraceLine(int instance, std::string_view member,
                            const std::vector<std::string>& fields);

// Appends the line when tracing is on. The file is opened for append and the line written
// with one write, so lines of several processes sharing the file never interleave.
void writeTrace(int instance, std::string_view member, const std::vector<std::string>& fields);

}  // namespace controls::scriptmovie
