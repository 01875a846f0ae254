#include "demo/play_movie/movie_script.h"

#include <sstream>

namespace demo_movie {
namespace {

// Pushes the arguments last first, then their count, as AVM1 calls take them.
void pushArguments(Avm1& code, const std::vector<Value>& args) {
    for (auto arg = args.rbegin(); arg != args.rend(); ++arg) (*arg)(code);
    code.pushInt(static_cast<std::int32_t>(args.size()));
}

}  // namespace

Value number(std::int32_t value) {
    return [value](Avm1& code) { code.pushInt(value); };
}

Value text(const std::string& value) {
    return [value](Avm1& code) { code.pushString(value); };
}

Value boolean(bool value) {
    return [value](Avm1& code) { code.pushBool(value); };
}

Value nullValue() {
    return [](Avm1& code) { code.pushNull(); };
}

Value path(const std::string& dotted) {
    return [dotted](Avm1& code) {
        std::istringstream parts(dotted);
        std::string part;
        std::getline(parts, part, '.');
        code.pushString(part).getVariable();
        while (std::getline(parts, part, '.')) code.pushString(part).getMember();
    };
}

Value sum(const std::vector<Value>& values) {
    return [values](Avm1& code) {
        values.front()(code);
        for (std::size_t i = 1; i < values.size(); ++i) {
            values[i](code);
            code.add2();
        }
    };
}

Value result(const std::string& object, const std::string& method, const std::vector<Value>& args) {
    return [object, method, args](Avm1& code) {
        pushArguments(code, args);
        path(object)(code);
        code.pushString(method).callMethod();
    };
}

Value construct(const std::string& className, const std::vector<Value>& args) {
    return [className, args](Avm1& code) {
        pushArguments(code, args);
        code.pushString(className).newObject();
    };
}

void call(Avm1& code, const std::string& object, const std::string& method,
          const std::vector<Value>& args) {
    result(object, method, args)(code);
    code.pop();
}

void set(Avm1& code, const std::string& object, const std::string& name, const Value& value) {
    if (object.empty()) {
        code.pushString(name);
        value(code);
        code.setVariable();
        return;
    }
    path(object)(code);
    code.pushString(name);
    value(code);
    code.setMember();
}

void handler(Avm1& code, const std::string& object, const std::string& event,
             const std::vector<std::string>& params, const Avm1& body) {
    set(code, object, event, [&](Avm1& out) { out.defineFunction(params, body); });
}

void fscommand(Avm1& code, const std::string& command, const Value& args) {
    code.pushString("FSCommand:" + command);
    args(code);
    code.getUrl2();
}

void addCallback(Avm1& code, const std::string& name, const std::vector<std::string>& params,
                 const Avm1& body) {
    code.defineFunction(params, body).pushNull().pushString(name).pushInt(3);
    code.pushExternalInterface().pushString("addCallback").callMethod().pop();
}

void newClip(Avm1& code, const std::string& parent, const std::string& name, int depth, int x,
             int y) {
    call(code, parent, "createEmptyMovieClip", {text(name), number(depth)});
    const std::string clip = parent + "." + name;
    set(code, clip, "_x", number(x));
    set(code, clip, "_y", number(y));
}

void fillRect(Avm1& code, const std::string& clip, int x, int y, int width, int height,
              const Value& colour, int alpha) {
    call(code, clip, "beginFill", {colour, number(alpha)});
    call(code, clip, "moveTo", {number(x), number(y)});
    call(code, clip, "lineTo", {number(x + width), number(y)});
    call(code, clip, "lineTo", {number(x + width), number(y + height)});
    call(code, clip, "lineTo", {number(x), number(y + height)});
    call(code, clip, "lineTo", {number(x), number(y)});
    call(code, clip, "endFill", {});
}

void newTextField(Avm1& code, const std::string& parent, const std::string& name, int depth, int x,
                  int y, int width, int height, int size, const std::string& align) {
    call(code, parent, "createTextField",
         {text(name), number(depth), number(x), number(y), number(width), number(height)});
    set(code, "", "format", construct("TextFormat", {}));
    set(code, "format", "font", text("_sans"));
    set(code, "format", "size", number(size));
    set(code, "format", "color", number(0xFFFFFF));
    set(code, "format", "align", text(align));
    const std::string field = parent + "." + name;
    call(code, field, "setNewTextFormat", {path("format")});
    set(code, field, "selectable", boolean(false));
}

}  // namespace demo_movie
