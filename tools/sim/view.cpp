#include "view.h"

#include <algorithm>
#include <cstdio>

#include "lexer.h"
#include "session.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "ui/toolbar/frm_toolbar.h"

namespace scenario {
namespace {

using tarnivo::sim::SimDocument;

// Frames nested deeper than this, and elements past this count, are left out of the view:
// it only serves the transcript.
constexpr int kMaxDepth = 16;
constexpr std::size_t kMaxElements = 4096;
// A list that changes in more entries than this is told by its counts.
constexpr std::size_t kMaxListLines = 6;
constexpr std::size_t kMaxPatternsShown = 16;

void AddElements(const SimDocument& document, const std::string& prefix, int depth,
                 std::vector<View::Element>* out) {
  int index = 0;
  for (const auto& script : document.Scripts()) {
    if (out->size() >= kMaxElements) return;
    View::Element element;
    element.where = prefix + "script " + std::to_string(index++);
    element.object = script;
    element.script = true;
    element.text = script->Text("text");
    element.src = script->Text("src");
    out->push_back(std::move(element));
  }
  index = 0;
  for (const auto& object : document.Objects()) {
    if (out->size() >= kMaxElements) return;
    View::Element element;
    element.where = prefix + "object " + std::to_string(index++);
    element.object = object;
    element.text = object->Text("codeBase");
    element.disabled = object->Flag("disabled");
    out->push_back(std::move(element));
  }
  if (depth >= kMaxDepth) return;
  const std::string frames = prefix.empty() ? "" : prefix.substr(0, prefix.size() - 2) + " ";
  for (int i = 0; i < document.FrameCount(); ++i) {
    const std::shared_ptr<SimDocument> frame = document.Frame(i);
    if (frame) AddElements(*frame, frames + "frame " + std::to_string(i) + ": ", depth + 1, out);
  }
}

std::vector<std::pair<std::string, std::int32_t>> Entries(const tarnivo::SiteList& list) {
  std::vector<std::pair<std::string, std::int32_t>> entries;
  for (int i = 0; i < list.Count(); ++i) entries.emplace_back(list.Text(i), list.Tag(i));
  return entries;
}

std::string Clock(std::int32_t seconds) {
  if (seconds < 0) return "?";
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600 % 100, seconds / 60 % 60,
                seconds % 60);
  return text;
}

std::string TimerName(int timer) { return "Timer" + std::to_string(timer); }

// "+ "a" (tag 100)" and "- "b"" lines for what the list gained and lost.
void ListChanges(const std::string& name,
                 const std::vector<std::pair<std::string, std::int32_t>>& before,
                 const std::vector<std::pair<std::string, std::int32_t>>& after,
                 std::vector<std::string>* lines) {
  if (before == after) return;
  auto sorted_before = before;
  auto sorted_after = after;
  std::sort(sorted_before.begin(), sorted_before.end());
  std::sort(sorted_after.begin(), sorted_after.end());
  std::vector<std::pair<std::string, std::int32_t>> gone;
  std::vector<std::pair<std::string, std::int32_t>> come;
  std::set_difference(sorted_before.begin(), sorted_before.end(), sorted_after.begin(),
                      sorted_after.end(), std::back_inserter(gone));
  std::set_difference(sorted_after.begin(), sorted_after.end(), sorted_before.begin(),
                      sorted_before.end(), std::back_inserter(come));
  if (gone.size() + come.size() > kMaxListLines || gone.size() + come.size() == 0) {
    lines->push_back(name + " holds " + std::to_string(after.size()) + " entries (was " +
                     std::to_string(before.size()) + ")");
    return;
  }
  for (const auto& entry : gone) lines->push_back(name + " loses " + Quote(entry.first));
  for (const auto& entry : come)
    lines->push_back(name + " gains " + Quote(entry.first) +
                     (entry.second != 0 ? " (tag " + std::to_string(entry.second) + ")" : ""));
}

void TextsChange(const std::string& name, const std::vector<std::string>& before,
                 const std::vector<std::string>& after, std::vector<std::string>* lines) {
  if (before == after) return;
  std::string line = name + " now";
  if (after.empty()) {
    line += " empty";
  } else if (after.size() > kMaxPatternsShown) {
    line += " holds " + std::to_string(after.size()) + " entries";
  } else {
    for (const std::string& text : after) line += " " + Quote(text);
  }
  lines->push_back(line);
}

const View::Band* FindBand(const std::vector<View::Band>& bands, int number) {
  for (const View::Band& band : bands)
    if (band.number == number) return &band;
  return nullptr;
}

void BandChanges(const View& before, const View& after, std::vector<std::string>* lines) {
  for (const View::Band& now : after.bands) {
    const View::Band* then = FindBand(before.bands, now.number);
    if (then == nullptr) continue;
    const std::string who =
        after.bands.size() > 1 ? "window " + std::to_string(now.number) + ": " : "";
    if (then->browser_bound != now.browser_bound)
      lines->push_back(who + (now.browser_bound ? "browser bound (m_oIE bound)"
                                                : "browser released (m_oIE none)"));
    if (then->page != now.page) {
      if (now.page == nullptr)
        lines->push_back(who + "page hooks released (IEdoc none)");
      else if (then->page == nullptr)
        lines->push_back(who + "page hooks bound" + (now.page_shown ? " to the page shown" : "") +
                         " (IEdoc bound)");
      else
        lines->push_back(who + "page hooks moved" + (now.page_shown ? " to the page shown" : "") +
                         " (IEdoc bound)");
    } else if (now.page != nullptr && then->page_shown && !now.page_shown) {
      lines->push_back(who + "the page hooks stay on the previous page (until DocumentComplete)");
    }
    if (then->allow_next != now.allow_next)
      lines->push_back(who + (now.allow_next ? "right-click pass granted (AllowNextPopup true)"
                                             : "right-click pass gone (AllowNextPopup false)"));
    if (then->script_navigation != now.script_navigation)
      lines->push_back(who +
                       (now.script_navigation == 1
                            ? "javascript: navigation noted (ScriptNavigationSeen 1)"
                            : "ScriptNavigationSeen " + std::to_string(now.script_navigation)));
  }
}

void ElementChanges(const View& before, const View& after, std::vector<std::string>* lines) {
  for (const View::Element& now : after.elements) {
    const View::Element* then = nullptr;
    for (const View::Element& old : before.elements) {
      if (old.object == now.object) {
        then = &old;
        break;
      }
    }
    if (then == nullptr) continue;
    if (now.script) {
      if (then->text != now.text)
        lines->push_back(now.where + " text " + Quote(now.text) + " (was " + Quote(then->text) +
                         ")");
      if (then->src != now.src)
        lines->push_back(now.where + " src " + Quote(now.src) + " (was " + Quote(then->src) + ")");
      continue;
    }
    std::string line;
    if (then->disabled != now.disabled) line = now.disabled ? " disabled" : " enabled";
    if (then->text != now.text)
      line += std::string(line.empty() ? "" : ",") + " codeBase " + Quote(now.text) + " (was " +
              Quote(then->text) + ")";
    if (!line.empty()) lines->push_back(now.where + line);
  }
}

}  // namespace

View TakeView(const Session& session, bool with_lists) {
  View view;
  view.taken = true;
  const tarnivo::ThreadShared& shared = tarnivo::Shared();
  view.user_action = shared.UserActionFlag;
  view.page_complete = shared.PageComplete;
  view.navigation_start = shared.NavigationStart;
  if (const tarnivo::frmToolbar* form = tarnivo::frmToolbar::Loaded()) {
    view.form_loaded = true;
    for (int timer = 1; timer <= 3; ++timer) view.timers[timer - 1] = form->TimerEnabled(timer);
    view.about = form->Caption("mnuSOBRE");
  }
  const bool several = session.Windows().size() > 1;
  for (const auto& window : session.Windows()) {
    View::Band band;
    band.number = window->number;
    band.allow_next = window->band->AllowNextPopup;
    band.script_navigation = window->band->ScriptNavigationSeen;
    band.browser_bound = window->band->m_oIE() != nullptr;
    const auto& page = window->band->IEdoc();
    band.page = page ? page->Identity() : nullptr;
    if (window->browser && window->browser->CurrentDocument() && page)
      band.page_shown = page->Identity() == window->browser->CurrentDocument()->Identity();
    view.bands.push_back(band);
    if (window->browser && window->browser->CurrentDocument()) {
      const std::string prefix = several ? "window " + std::to_string(window->number) + ": " : "";
      std::vector<View::Element> elements;
      AddElements(*window->browser->CurrentDocument(), "", 0, &elements);
      for (View::Element& element : elements) {
        element.where = prefix + element.where;
        view.elements.push_back(std::move(element));
      }
    }
  }
  if (with_lists) {
    view.with_lists = true;
    view.allowed_sites = Entries(tarnivo::AllowedSites());
    view.blocked_activex = Entries(tarnivo::BlockedActiveX());
    view.patterns = shared.ActiveXPatterns;
    view.tags = shared.ActiveXTags;
  }
  return view;
}

std::vector<std::string> DescribeChanges(const View& before, const View& after, std::string* about,
                                         bool* about_changed) {
  std::vector<std::string> lines;
  *about_changed = false;
  if (!before.taken || !after.taken) return lines;
  if (before.form_loaded != after.form_loaded) {
    if (after.form_loaded) {
      std::string line = "toolbar form loaded";
      std::string on;
      for (int timer = 1; timer <= 3; ++timer)
        if (after.timers[timer - 1]) on += (on.empty() ? "" : ", ") + TimerName(timer) + " on";
      lines.push_back(line + (on.empty() ? "" : ": " + on));
    } else {
      lines.push_back("toolbar form unloaded: its timers stop");
    }
  }
  if (before.user_action != after.user_action)
    lines.push_back(after.user_action ? "user-action window opens (UserActionFlag true)"
                                      : "user-action window closes (UserActionFlag false)");
  if (before.form_loaded && after.form_loaded) {
    std::string changes;
    for (int timer = 1; timer <= 3; ++timer) {
      if (before.timers[timer - 1] == after.timers[timer - 1]) continue;
      changes += (changes.empty() ? "" : ", ") + TimerName(timer) +
                 (after.timers[timer - 1] ? " on" : " off");
    }
    if (!changes.empty()) lines.push_back("timers: " + changes);
    if (before.about != after.about) {
      *about_changed = true;
      *about = after.about;
    }
  }
  if (before.page_complete != after.page_complete)
    lines.push_back(after.page_complete ? "page complete (PageComplete true)"
                                        : "page loading (PageComplete false)");
  if (before.navigation_start != after.navigation_start)
    lines.push_back("NavigationStart " + std::to_string(after.navigation_start) + " (" +
                    Clock(after.navigation_start) + ")");
  BandChanges(before, after, &lines);
  ElementChanges(before, after, &lines);
  if (before.with_lists && after.with_lists) {
    ListChanges("AllowedSites", before.allowed_sites, after.allowed_sites, &lines);
    ListChanges("BlockedActiveX", before.blocked_activex, after.blocked_activex, &lines);
    TextsChange("ActiveXPatterns", before.patterns, after.patterns, &lines);
    TextsChange("ActiveXTags", before.tags, after.tags, &lines);
  }
  return lines;
}

}  // namespace scenario
