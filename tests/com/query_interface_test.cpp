// QueryInterface of the server's COM objects (the band, its class factory, an event sink):
// which interfaces each answers, one identity whichever interface it is asked through, what a
// refused or malformed request leaves behind, and reference counts that come back to where
// they were. Then the releasing reference the server holds its COM references through.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "fakes.h"
#include "server.h"
#include "server/com/com_ref.h"
#include "server/com/event_sink.h"
#include "server/com/object_count.h"

#include <exdisp.h>
#include <ocidl.h>
#include <olectl.h>
#include <shlobj.h>

#include "tarnivo_idl.h"

namespace comtest {
namespace {

// {3050F260-98B5-11CF-BB82-00AA00BDCE0B}
constexpr IID kDocumentEvents = {
    0x3050f260, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

// The references `object` holds now.
ULONG CountOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

// An event sink that does nothing with its events.
class QuietSink : public tarnivo::com::EventSink {
 public:
  explicit QuietSink(const IID& events) : EventSink(events) {}

 protected:
  void Raise(DISPID, DISPPARAMS&, VARIANT*) override {}
};

// One interface asked for, and the answer expected. With `same_as`, the pointer answered must
// be the one answered for that interface (a base shared by both, the identity among them).
struct Answer {
  const char* name;
  const IID* iid;
  HRESULT expected;
  const IID* same_as = nullptr;
};

struct ObjectCase {
  const char* name;
  // A new object, as its IUnknown.
  std::function<Ref<IUnknown>()> make;
  // Whether every object of its kind is gone again (the module's count of them).
  std::function<bool()> gone;
  std::vector<Answer> answers;
};

std::vector<ObjectCase> Objects() {
  const auto serverUnused = [] { return TheServer().CanUnloadNow() == S_OK; };
  return {
      {"band",
       [] {
         Ref<IUnknown> band;
         EXPECT_EQ(CreateBand(IID_IUnknown, band.void_out()), S_OK);
         return band;
       },
       serverUnused,
       {
           {"IUnknown", &IID_IUnknown, S_OK, &IID_IDeskBand},
           {"IOleWindow", &IID_IOleWindow, S_OK, &IID_IDeskBand},
           {"IDockingWindow", &IID_IDockingWindow, S_OK, &IID_IDeskBand},
           {"IDeskBand", &IID_IDeskBand, S_OK},
           {"IObjectWithSite", &IID_IObjectWithSite, S_OK},
           {"IInputObject", &IID_IInputObject, S_OK},
           {"IPersist", &IID_IPersist, S_OK, &IID_IPersistStream},
           {"IPersistStream", &IID_IPersistStream, S_OK},
           {"IOleControlSite", &IID_IOleControlSite, S_OK},
           {"IDispatch", &IID_IDispatch, S_OK, &kIidICToolbar},
           {"ICToolbar", &kIidICToolbar, S_OK},
           {"ISubclass", &kIidISubclass, S_OK},
           {"IPersistStreamInit", &IID_IPersistStreamInit, E_NOINTERFACE},
           {"IOleObject", &IID_IOleObject, E_NOINTERFACE},
           {"IInputObjectSite", &IID_IInputObjectSite, E_NOINTERFACE},
           {"IServiceProvider", &IID_IServiceProvider, E_NOINTERFACE},
           {"IClassFactory", &IID_IClassFactory, E_NOINTERFACE},
           {"IConnectionPointContainer", &IID_IConnectionPointContainer, E_NOINTERFACE},
           {"IWebBrowser2", &IID_IWebBrowser2, E_NOINTERFACE},
           {"IStream", &IID_IStream, E_NOINTERFACE},
       }},
      {"class factory",
       [] {
         Ref<IUnknown> factory;
         EXPECT_EQ(TheServer().GetClassObject(kClsidCToolbar, IID_IUnknown, factory.void_out()),
                   S_OK);
         return factory;
       },
       serverUnused,
       {
           {"IUnknown", &IID_IUnknown, S_OK, &IID_IClassFactory},
           {"IClassFactory", &IID_IClassFactory, S_OK},
           {"IClassFactory2", &IID_IClassFactory2, E_NOINTERFACE},
           {"IDispatch", &IID_IDispatch, E_NOINTERFACE},
           {"IDeskBand", &IID_IDeskBand, E_NOINTERFACE},
           {"ICToolbar", &kIidICToolbar, E_NOINTERFACE},
       }},
      {"event sink",
       [] { return Ref<IUnknown>(new QuietSink(kDocumentEvents)); },
       [] { return tarnivo::com::ModuleReferences() == 0; },
       {
           {"IUnknown", &IID_IUnknown, S_OK, &IID_IDispatch},
           {"IDispatch", &IID_IDispatch, S_OK},
           // The outgoing interface it was made for, as the source calls it: its IDispatch.
           {"its events", &kDocumentEvents, S_OK, &IID_IDispatch},
           {"other events", &DIID_DWebBrowserEvents2, E_NOINTERFACE},
           {"IConnectionPoint", &IID_IConnectionPoint, E_NOINTERFACE},
           {"ICToolbar", &kIidICToolbar, E_NOINTERFACE},
       }},
  };
}

// What `object` answers for `riid`, released again: the pointer (null when refused) and the
// result. The out-parameter starts as garbage, so that a refusal must clear it.
std::pair<void*, HRESULT> Ask(IUnknown* object, REFIID riid) {
  void* answer = reinterpret_cast<void*>(1);
  const HRESULT hr = object->QueryInterface(riid, &answer);
  if (SUCCEEDED(hr) && answer) static_cast<IUnknown*>(answer)->Release();
  return {answer, hr};
}

TEST(QueryInterface, EachObjectAnswersItsInterfacesWithOneIdentity) {
  ASSERT_NE(TheServer().module, nullptr) << "tarnivo.dll must be beside the test program";
  for (const ObjectCase& object : Objects()) {
    SCOPED_TRACE(object.name);
    {
      Ref<IUnknown> made = object.make();
      ASSERT_TRUE(made);
      IUnknown* identity = made.get();
      const ULONG before = CountOf(identity);
      for (const Answer& from : object.answers) {
        SCOPED_TRACE(from.name);
        Ref<IUnknown> asked;
        void* raw = reinterpret_cast<void*>(1);
        const HRESULT hr = made->QueryInterface(*from.iid, &raw);
        EXPECT_EQ(hr, from.expected);
        EXPECT_EQ(made->QueryInterface(*from.iid, nullptr), E_POINTER);
        if (hr != S_OK) {
          EXPECT_EQ(raw, nullptr);
          EXPECT_EQ(CountOf(identity), before);
          continue;
        }
        asked.Attach(static_cast<IUnknown*>(raw));
        ASSERT_TRUE(asked);
        EXPECT_EQ(CountOf(identity), before + 1);
        if (from.same_as) {
          EXPECT_EQ(Ask(identity, *from.same_as).first, asked.get());
        }
        // Through this interface: the same identity, and the same answer for every other.
        EXPECT_EQ(Ask(asked.get(), IID_IUnknown).first, identity);
        for (const Answer& to : object.answers) {
          const std::pair<void*, HRESULT> answer = Ask(asked.get(), *to.iid);
          EXPECT_EQ(answer.second, to.expected) << "then " << to.name;
          if (to.expected != S_OK) {
            EXPECT_EQ(answer.first, nullptr) << "then " << to.name;
          }
        }
        EXPECT_EQ(asked->QueryInterface(*from.iid, nullptr), E_POINTER);
        asked.Reset();
        EXPECT_EQ(CountOf(identity), before);
      }
    }
    EXPECT_TRUE(object.gone());
  }
}

// --- the releasing reference ---

// An object that refuses every interface but leaves itself in the out-parameter, as a careless
// implementation may: that pointer is no reference and must not be released.
class CarelessObject : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
    *ppv = this;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override { return --references; }
  ULONG references = 1;
};

TEST(ComRef, HoldsExactlyOneReferenceThroughMovesAndOutParameters) {
  FakeObject* firstObject = new FakeObject();
  FakeObject* secondObject = new FakeObject();
  IDispatch* first = firstObject;
  IDispatch* second = secondObject;
  {
    Ref<IDispatch> a = Ref<IDispatch>::Share(first);
    EXPECT_EQ(firstObject->References(), 2u);
    EXPECT_EQ(a.get(), first);
    EXPECT_FALSE(Ref<IDispatch>::Share(nullptr));

    Ref<IDispatch> b(std::move(a));  // moves: no count changes
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), first);
    EXPECT_EQ(firstObject->References(), 2u);
    Ref<IDispatch>& same = b;
    b = std::move(same);  // onto itself: kept
    EXPECT_EQ(b.get(), first);
    EXPECT_EQ(firstObject->References(), 2u);

    Ref<IDispatch> c = Ref<IDispatch>::Share(second);
    c = std::move(b);  // the reference it held goes
    EXPECT_EQ(secondObject->References(), 1u);
    EXPECT_EQ(firstObject->References(), 2u);

    // An out-parameter lets go of the old reference first, then holds what it is given.
    ASSERT_EQ(second->QueryInterface(IID_IDispatch, c.void_out()), S_OK);
    EXPECT_EQ(firstObject->References(), 1u);
    EXPECT_EQ(secondObject->References(), 2u);
    EXPECT_EQ(c.get(), second);

    first->AddRef();
    c.Attach(first);  // the caller's reference, taken over; the old one goes
    EXPECT_EQ(firstObject->References(), 2u);
    EXPECT_EQ(secondObject->References(), 1u);
    IDispatch* given = c.release();  // given up, not released
    EXPECT_FALSE(c);
    EXPECT_EQ(firstObject->References(), 2u);
    given->Release();
    c.Reset();  // on an empty reference: nothing
  }
  EXPECT_EQ(firstObject->References(), 1u);
  EXPECT_EQ(secondObject->References(), 1u);
  first->Release();
  second->Release();
}

TEST(ComRef, QueryGivesAReferenceOrNothing) {
  FakeObject* object = new FakeObject();
  {
    Ref<IDispatch> dispatch = tarnivo::com::Query<IDispatch>(object, IID_IDispatch);
    EXPECT_EQ(dispatch.get(), static_cast<IDispatch*>(object));
    EXPECT_EQ(object->References(), 2u);
    EXPECT_FALSE(tarnivo::com::Query<IStream>(object, IID_IStream));
    EXPECT_EQ(object->References(), 2u);
  }
  EXPECT_EQ(object->References(), 1u);
  object->Release();

  CarelessObject careless;
  EXPECT_FALSE(tarnivo::com::Query<IStream>(&careless, IID_IStream));
  EXPECT_EQ(careless.references, 1u);
}

}  // namespace
}  // namespace comtest
