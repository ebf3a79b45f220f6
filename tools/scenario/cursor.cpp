#include "cursor.h"

#include "lexer.h"

namespace scenario {
namespace {

// The window class under the cursor for each place the format names.
struct CursorPlace {
  const char* word;
  const char* window_class;
};
constexpr CursorPlace kCursorPlaces[] = {
    {"page", "Internet Explorer_Server"},  // the browser's page window
    {"menu", "#32768"},                    // a menu
    {"control", "ATL:0A1B2C3D"},           // an embedded control
    {"other", "Shell_TrayWnd"},            // any other window: the taskbar
};

}  // namespace

Status CursorClass(const Args& args, std::string* window_class) {
  window_class->clear();
  if (const Word* option = args.Option("class")) {
    if (Status check = args.Check(0, 0, {"class"}); !check.ok()) return check;
    if (option->text.empty() || option->text.find('\0') != std::string::npos)
      return args.Error("a class name is expected, not " + Quote(option->text));
    *window_class = option->text;
    return Status::Ok();
  }
  if (Status check = args.Check(1, 1); !check.ok()) return check;
  for (const CursorPlace& place : kCursorPlaces)
    if (args.Is(0, place.word)) *window_class = place.window_class;
  if (window_class->empty())
    return args.Error("expected page, menu, control, other or class=\"NAME\", not " +
                      Quote(args.Text(0)));
  return Status::Ok();
}

}  // namespace scenario
