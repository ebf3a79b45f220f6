#include "runner.h"

#include <exception>
#include <fstream>
#include <vector>

#include "args.h"
#include "commands.h"
#include "lexer.h"
#include "session.h"

namespace scenario {
namespace {

// Runs one command line, already split into words.
Status RunLine(Session& session, std::vector<Word> words) {
  if (words[0].IsOption() || words[0].quoted)
    return Status::Error("a command word is expected, not " + Quote(words[0].text));
  const std::string word = words[0].text;
  const CommandEntry* entry = FindCommand(word);
  if (entry == nullptr) {
    if (IsLaterCommand(word))
      return Status::Error("the command " + Quote(word) + " is not known to this build yet");
    return Status::Error("unknown command " + Quote(word));
  }
  words.erase(words.begin());
  const Args args(word, std::move(words));
  session.NoteBands();
  session.NoteView();
  session.SetReporting(!entry->bench);
  Status status;
  try {
    status = entry->run(session, args);
  } catch (const std::exception& e) {
    status = Status::Failure(word + ": the system raised an exception: " + e.what());
  } catch (...) {
    status = Status::Failure(word + ": the system raised an exception");
  }
  session.SetReporting(true);
  session.SayBandChanges();
  // What the bench changed itself is not the system's answer: only taken note of.
  session.SayViewChanges(!entry->bench);
  return status;
}

}  // namespace

FileResult RunFile(const std::string& path, bool verbose, std::ostream& out, std::ostream& err) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    out.flush();
    err << path << ": cannot open the file\n";
    return FileResult::Error;
  }
  Session session(verbose, out);
  std::string error;
  if (!session.Begin(&error)) {
    out.flush();
    err << path << ": " << error << '\n';
    return FileResult::Error;
  }
  std::string line;
  int number = 0;
  while (std::getline(file, line)) {
    ++number;
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);  // a BOM
    if (IsBlankOrComment(line)) continue;
    const std::string where = path + ":" + std::to_string(number) + ": ";
    if (verbose) out << where << Trim(line) << '\n';
    std::vector<Word> words;
    Status status;
    if (!SplitLine(line, &words, &error))
      status = Status::Error(error);
    else
      status = RunLine(session, std::move(words));
    if (status.ok()) continue;
    out.flush();
    err << where << status.message << '\n';
    err.flush();
    return status.kind == Status::Kind::Failed ? FileResult::Failed : FileResult::Error;
  }
  session.End();
  return FileResult::Passed;
}

}  // namespace scenario
