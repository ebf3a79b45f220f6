#include "runner.h"

#include <exception>
#include <fstream>
#include <vector>

#include "commands.h"
#include "lexer.h"

namespace host {

FileOutcome RunFile(Server& server, const std::string& path, bool verbose, std::ostream& out,
                    std::ostream& err) {
  FileOutcome outcome;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    out.flush();
    err << path << ": cannot open the file\n";
    outcome.result = FileOutcome::Result::Error;
    return outcome;
  }
  Session session(server, verbose, out);
  std::string error;
  if (!session.Begin(&error)) {
    out.flush();
    err << path << ": " << error << '\n';
    outcome.result = FileOutcome::Result::Error;
    return outcome;
  }
  int expectations_run = 0;
  bool action_skipped = false;
  std::string line;
  int number = 0;
  while (std::getline(file, line)) {
    ++number;
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);  // a BOM
    if (scenario::IsBlankOrComment(line)) continue;
    const std::string where = path + ":" + std::to_string(number) + ": ";
    if (verbose) out << where << scenario::Trim(line) << '\n';
    std::vector<scenario::Word> words;
    scenario::Status status;
    bool is_expectation = false;
    if (!scenario::SplitLine(line, &words, &error)) {
      status = scenario::Status::Error(error);
    } else {
      try {
        status = RunCommand(session, std::move(words), &is_expectation);
      } catch (const std::exception& e) {
        status =
            scenario::Status::Failure(std::string("the host raised an exception: ") + e.what());
      }
      // Parse errors still stop the run; what the expectation found does not count.
      if (is_expectation && action_skipped && status.kind != scenario::Status::Kind::Error)
        status = scenario::Status::Skipped("this expectation follows a skipped command");
    }
    if (status.kind == scenario::Status::Kind::Skipped) {
      ++outcome.skipped_lines;
      action_skipped = action_skipped || !is_expectation;
      if (verbose) out << where << "skipped: " << status.message << '\n';
      continue;
    }
    if (status.ok()) {
      if (is_expectation) ++expectations_run;
      continue;
    }
    out.flush();
    err << where << status.message << '\n';
    err.flush();
    outcome.result = status.kind == scenario::Status::Kind::Failed ? FileOutcome::Result::Failed
                                                                   : FileOutcome::Result::Error;
    return outcome;
  }
  session.End();
  if (outcome.skipped_lines > 0 && expectations_run == 0)
    outcome.result = FileOutcome::Result::Skipped;
  return outcome;
}

}  // namespace host
