// Statement-sized pieces of an AVM1 movie script, for movies that draw everything they show
// from their script: clips, filled rectangles, text fields, event handlers, FSCommands and
// ExternalInterface callbacks. Each call appends whole statements, leaving the stack as it
// found it; a `Value` pushes exactly one value.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/swf/avm1.h"

namespace demo_movie {

using swf::Avm1;
using Value = std::function<void(Avm1&)>;

Value number(std::int32_t value);
Value text(const std::string& value);
Value boolean(bool value);
Value nullValue();
// The value at a dotted path that starts with a variable: "_root.bottom.state", "this.v".
Value path(const std::string& dotted);
// The values joined with `+` (numbers add, strings concatenate), left to right.
Value sum(const std::vector<Value>& values);
// The result of object.method(args).
Value result(const std::string& object, const std::string& method, const std::vector<Value>& args);

// new className(args).
Value construct(const std::string& className, const std::vector<Value>& args);

// object.method(args), the result dropped.
void call(Avm1& code, const std::string& object, const std::string& method,
          const std::vector<Value>& args);
// object.name = value; `object` "" sets a variable of the current scope.
void set(Avm1& code, const std::string& object, const std::string& name, const Value& value);
// object.event = function (params) { body }.
void handler(Avm1& code, const std::string& object, const std::string& event,
             const std::vector<std::string>& params, const Avm1& body);
// fscommand(command, args).
void fscommand(Avm1& code, const std::string& command, const Value& args);
// ExternalInterface.addCallback(name, null, function (params) { body }).
void addCallback(Avm1& code, const std::string& name, const std::vector<std::string>& params,
                 const Avm1& body);

// parent.createEmptyMovieClip(name, depth), moved to (x, y).
void newClip(Avm1& code, const std::string& parent, const std::string& name, int depth, int x,
             int y);
// A rectangle in `clip`'s own coordinates, filled with `colour` (0xRRGGBB) at `alpha` (0-100).
void fillRect(Avm1& code, const std::string& clip, int x, int y, int width, int height,
              const Value& colour, int alpha);
// parent.createTextField(name, ...): white text of `size` pixels in the device sans-serif font,
// aligned "left" or "center", that the mouse can neither select nor take from the clip below.
void newTextField(Avm1& code, const std::string& parent, const std::string& name, int depth, int x,
                  int y, int width, int height, int size, const std::string& align);

}  // namespace demo_movie
