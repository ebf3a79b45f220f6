#include "page_checks.h"

#include "lexer.h"

namespace scenario {
namespace {

std::string Elements(std::size_t count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// "no script 3 (the document has 2 scripts)"
std::string Missing(const std::string& number, std::size_t count, const char* what) {
  return "no " + std::string(what) + " " + number + " (the document has " + Elements(count, what) +
         ")";
}

}  // namespace

Status ReadScriptCheck(const Args& args, ElementCheck* check) {
  if (Status count = args.Check(3, 3); !count.ok()) return count;
  int index = 0;
  if (!ParseCount(args.Text(0), &index))
    return args.Error("a script number is expected, not " + Quote(args.Text(0)));
  if (!args.Is(1, "text") && !args.Is(1, "src"))
    return args.Error("expected text or src, not " + Quote(args.Text(1)));
  check->index = static_cast<std::size_t>(index);
  check->number = args.Text(0);
  check->field = args.Text(1);
  check->want = args.Text(2);
  check->disabled.reset();
  check->expected = "script " + args.Text(0) + " " + args.Text(1) + " " + Quote(args.Text(2));
  return Status::Ok();
}

Status ReadObjectCheck(const Args& args, ElementCheck* check) {
  if (Status count = args.Check(3, 3, {"disabled"}); !count.ok()) return count;
  int index = 0;
  if (!ParseCount(args.Text(0), &index))
    return args.Error("an object number is expected, not " + Quote(args.Text(0)));
  if (!args.Is(1, "codebase")) return args.Error("expected codebase, not " + Quote(args.Text(1)));
  const Word* disabled = args.Option("disabled");
  if (disabled && disabled->text != "true" && disabled->text != "false")
    return args.Error("disabled takes true or false, not " + Quote(disabled->text));
  check->index = static_cast<std::size_t>(index);
  check->number = args.Text(0);
  check->field = "codebase";
  check->want = args.Text(2);
  check->disabled.reset();
  if (disabled) check->disabled = disabled->text == "true";
  check->expected = "object " + args.Text(0) + " codebase " + Quote(args.Text(2));
  if (disabled) check->expected += " disabled=" + disabled->text;
  return Status::Ok();
}

Status CompareScript(const ElementCheck& check, const std::string& within,
                     const std::vector<std::string>& texts) {
  const std::string expected = check.expected + within;
  if (check.index >= texts.size())
    return Status::Expected(expected, Missing(check.number, texts.size(), "script"));
  const std::string& got = texts[check.index];
  if (got == check.want) return Status::Ok();
  return Status::Expected(expected, Quote(got));
}

Status CompareObject(const ElementCheck& check, const std::string& within,
                     const std::vector<ObjectSeen>& objects) {
  const std::string expected = check.expected + within;
  if (check.index >= objects.size())
    return Status::Expected(expected, Missing(check.number, objects.size(), "object"));
  const ObjectSeen& object = objects[check.index];
  const std::string state = object.disabled ? "true" : "false";
  if (object.code_base == check.want && (!check.disabled || *check.disabled == object.disabled))
    return Status::Ok();
  return Status::Expected(expected, "codebase " + Quote(object.code_base) + " disabled=" + state);
}

}  // namespace scenario
