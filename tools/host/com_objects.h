// The host's stand-ins for the browser around the band, built on the shared COM fakes: the
// page (a document with its focused element, its elements, its frames, its window and its
// events, each read by name through IDispatch as the browser's own objects are), the web
// browser (IWebBrowser2 as far as the band uses it, with DWebBrowserEvents2) and the band's
// site (IServiceProvider, IInputObjectSite, IOleWindow).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "com_fakes.h"
#include "server/com/text.h"

namespace host {

using comfakes::FakeObject;
using comfakes::Ref;

// Where the page tells what the band did to it (with -v): one line at a time.
using Reporter = std::function<void(const std::string& line)>;

// The scenario's texts are bytes, which the band reads as characters of the ANSI code page:
// the page holds them as those characters (tarnivo::com::WideFromAnsi), and gives them back
// as the same bytes (tarnivo::com::AnsiFromWide).
// A property of a page object as the scenario reads it: its text ("" when it is missing or
// not a text) or its Boolean (false when missing or not one).
std::string TextOf(const FakeObject& object, const wchar_t* name);
bool FlagOf(const FakeObject& object, const wchar_t* name);

// A document. By name it answers, as the browser's document does:
//   domain         its domain; fails (access denied) for a document whose domain cannot be read
//   activeElement  the focused element (tagName), or null
//   parentWindow   its window, whose `event` is the event being raised (type, ctrlKey,
//                  keyCode, altKey, shiftKey) and null between events
//   scripts        the SCRIPT elements (text, src, tagName, disabled)
//   All            every element; tags(NAME) gives those of one tag, letter case ignored
//   frames         the frame windows; a frame's `document` is its own document, or fails
//                  (access denied) for a frame from another site
// Collections answer `length` and item(N), follow the page as elements are added, and fail
// for an index outside them. Its HTMLDocumentEvents go out through its connection point.
class PageObject : public FakeObject {
 public:
  // A new document (one reference, the caller's): `domain` is read as it stands, or fails
  // when `domain_readable` is false; `focus` is the focused element's tag ("" for none).
  static PageObject* Document(const std::string& domain, bool domain_readable,
                              const std::string& focus);

  // The focused element changes ("" for none).
  void SetFocus(const std::string& tag);

  // Elements added at the end: a SCRIPT with this text and address, an OBJECT with this
  // codeBase, a frame with an empty document of its own (`readable` false: from another site).
  void AddScript(const std::string& text, const std::string& src);
  void AddObject(const std::string& code_base);
  void AddFrame(bool readable);

  std::size_t FrameCount() const;
  // The document of frame `index`; null for a frame from another site or an index outside.
  PageObject* Frame(std::size_t index) const;
  // The SCRIPT and the OBJECT elements, in document order.
  std::vector<FakeObject*> Scripts() const;
  std::vector<FakeObject*> Objects() const;

  // Sinks connected to the document's events.
  std::size_t Listeners() const;
  // Raises one of the document's events (a DISPID_HTMLDOCUMENTEVENTS_*) to every listener,
  // with parentWindow.event the event object while it lasts. False when a listener answered
  // False: the page's default action is cancelled.
  bool Raise(DISPID id, const std::string& type, LONG key_code = 0, bool ctrl = false);

  // What the band writes into this document and its frames is told to `reporter` from now on
  // (an empty one: to no one).
  void SetReporter(Reporter reporter);

 private:
  struct Content;
  explicit PageObject(std::shared_ptr<Content> content);
  void AddElement(const std::wstring& tag, FakeObject* element);

  std::shared_ptr<Content> content_;
  Ref<FakeObject> window_;
};

// The web browser: Busy, the document it shows, and its events.
class Browser : public comfakes::FakeBrowser {
 public:
  Browser() = default;

  // The document shown (the browser takes its own reference); null for none. The previous
  // document reports no more.
  void SetDocument(PageObject* document);
  PageObject* Document() const { return document_; }
  // The browser as the band's events name it (pDisp of DocumentComplete for the top page).
  IDispatch* AsDispatch() { return static_cast<IWebBrowser2*>(this); }

  // Raises an event on every connected sink, in connection order; `args` in declaration
  // order (DISPPARAMS holds them in reverse).
  void Fire(DISPID id, std::vector<VARIANT> args) { Events().Fire(id, std::move(args)); }
  // Drops every sink still connected (the window goes away).
  void DisconnectAll() { Events().DisconnectAll(); }

  // Where the documents shown tell what the band writes into them.
  void SetReporter(Reporter reporter);

 private:
  ~Browser() override;

  PageObject* document_ = nullptr;  // the base class holds the reference
  Reporter reporter_;
};

// The band's site: the web browser for SID_SWebBrowserApp when it has one, the frame window
// for IOleWindow, and focus changes taken (IInputObjectSite).
class Site : public comfakes::FakeSite {
 public:
  // `browser` may be null (a site that offers no web browser); `frame` is the parent the
  // band puts its own window in.
  Site(Browser* browser, HWND frame) : FakeSite(browser) { window = frame; }
};

}  // namespace host
