// `in frame N [frame M ...] COMMAND ...`: the words that name a frame's document, the walk
// down to it, and which command follows, the same for both runners.
#pragma once

#include <cstddef>
#include <string>

#include "args.h"
#include "status.h"

namespace scenario {

// The number of `frame N` word pairs at the start of `in`'s words.
std::size_t FramePairs(const Args& args);

// The frame number of pair `pair` (0-based) of a line FramePairs counted.
int FrameNumber(const Args& args, std::size_t pair);

// Error unless frame `index` of a document with `count` frames exists and can be read;
// `path` names the frames walked so far ("frame 0 frame 1"), and grows by this one.
Status StepIntoFrame(const Args& args, int index, std::size_t count, bool readable,
                     std::string* path);
// The same, the error naming the command `what`.
Status StepIntoFrame(const std::string& what, int index, std::size_t count, bool readable,
                     std::string* path);

// Walks from `document` down the frames the first `pairs` pairs name; `document` ends at the
// frame named last. Document: anything with FrameCount() and Frame(index), which answers
// null for a frame whose document cannot be read.
template <typename DocumentPtr>
Status WalkFrames(const Args& args, std::size_t pairs, DocumentPtr* document, std::string* path) {
  for (std::size_t pair = 0; pair < pairs; ++pair) {
    const int index = FrameNumber(args, pair);
    const auto count = static_cast<std::size_t>((*document)->FrameCount());
    DocumentPtr frame = nullptr;
    if (static_cast<std::size_t>(index) < count) frame = (*document)->Frame(index);
    if (Status step = StepIntoFrame(args, index, count, frame != nullptr, path); !step.ok())
      return step;
    *document = frame;
  }
  return Status::Ok();
}

// What may follow the frames.
enum class InFrameCommand { Script, Frame, Object, ExpectScript, ExpectObject };

// The command after `pairs` frame pairs; an Error for a line that names no frame, ends after
// the frames or names another command. `what` names the command in messages
// ("in frame 0 script").
Status ReadInFrameCommand(const Args& args, std::size_t pairs, const std::string& path,
                          InFrameCommand* command, std::string* what);

}  // namespace scenario
