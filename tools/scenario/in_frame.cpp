#include "in_frame.h"

#include "lexer.h"

namespace scenario {

std::size_t FramePairs(const Args& args) {
  std::size_t i = 0;
  int index = 0;
  while (args.Is(i, "frame") && i + 1 < args.Count() && !args[i + 1].quoted &&
         ParseCount(args.Text(i + 1), &index))
    i += 2;
  return i / 2;
}

int FrameNumber(const Args& args, std::size_t pair) {
  int index = 0;
  ParseCount(args.Text(pair * 2 + 1), &index);
  return index;
}

Status StepIntoFrame(const Args& args, int index, std::size_t count, bool readable,
                     std::string* path) {
  return StepIntoFrame(args.What(), index, count, readable, path);
}

Status StepIntoFrame(const std::string& what, int index, std::size_t count, bool readable,
                     std::string* path) {
  const std::string name = "frame " + std::to_string(index);
  const std::string within = path->empty() ? "" : " in " + *path;
  if (static_cast<std::size_t>(index) >= count)
    return Status::Error(what + ": no " + name + within + " (the document has " +
                         std::to_string(count) + (count == 1 ? " frame)" : " frames)"));
  if (!readable)
    return Status::Error(what + ": " + name + within +
                         " is from another site: its document cannot be read");
  *path += (path->empty() ? "" : " ") + name;
  return Status::Ok();
}

Status ReadInFrameCommand(const Args& args, std::size_t pairs, const std::string& path,
                          InFrameCommand* command, std::string* what) {
  const std::size_t i = pairs * 2;
  if (pairs == 0) return args.Error("expected frame N");
  if (i >= args.Count()) return args.Error("a command is expected after " + path);
  const std::string& word = args.Text(i);
  *what = "in " + path + " " + word;
  if (args[i].quoted) return args.Error("a command word is expected, not " + Quote(word));
  if (word == "script") {
    *command = InFrameCommand::Script;
  } else if (word == "frame") {
    *command = InFrameCommand::Frame;
  } else if (word == "object") {
    *command = InFrameCommand::Object;
  } else if (word == "expect" && args.Is(i + 1, "script")) {
    *command = InFrameCommand::ExpectScript;
  } else if (word == "expect" && args.Is(i + 1, "object")) {
    *command = InFrameCommand::ExpectObject;
  } else {
    return args.Error("only script, frame, object, expect script and expect object can follow " +
                      path + ", not " + Quote(word));
  }
  return Status::Ok();
}

}  // namespace scenario
