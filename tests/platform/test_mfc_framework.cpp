// The framework pieces a plug-in's start-up and error handling rely on: exceptions
// thrown as pointers with their messages, extension modules in the resource chain,
// module states, and the host's main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "mfc/afx_exceptions.h"
#include "mfc/afx_module.h"
#include "mfc/main_window.h"

namespace {

// ---- exceptions ----------------------------------------------------------------------

// What an entry point does with a framework exception: fetch the message into a
// fixed buffer and delete the object.
std::wstring catchMessage(void (*thrower)()) {
  try {
    thrower();
  } catch (CException* e) {
    wchar_t message[1000];
    e->GetErrorMessage(message, 1000);
    e->Delete();
    return message;
  }
  return L"nothing thrown";
}

TEST(MfcExceptions, ThrownAsPointersAndDeletedByTheCatcher) {
  EXPECT_EQ(catchMessage([] { AfxThrowMemoryException(); }), L"Out of memory.");
  EXPECT_EQ(catchMessage([] { AfxThrowNotSupportedException(); }), L"An unsupported operation was attempted.");
  EXPECT_EQ(catchMessage([] { AfxThrowInvalidArgException(); }), L"An invalid argument was encountered.");
  EXPECT_EQ(catchMessage([] { AfxThrowFileException(CFileException::fileNotFound, 2, L"C:\\P\\Project.ov"); }),
            L"C:\\P\\Project.ov was not found.");
  EXPECT_EQ(catchMessage([] { throw new CSimpleException(L"Custom failure"); }), L"Custom failure");
  // A file exception keeps its details for a catcher that looks at them.
  try {
    AfxThrowFileException(CFileException::diskFull, 28, L"out.hdw");
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::diskFull);
    EXPECT_EQ(e->m_lOsError, 28);
    EXPECT_EQ(e->m_strFileName, L"out.hdw");
    e->Delete();
  }
  // One made on the stack is not freed by Delete() (AddressSanitizer would report it).
  CSimpleException onStack(L"kept", FALSE);
  onStack.Delete();
  wchar_t buffer[8];
  EXPECT_TRUE(onStack.GetErrorMessage(buffer, 8));
  EXPECT_EQ(std::wstring(buffer), L"kept");
}

// A message longer than the buffer is cut to fit with its terminating null (shown as
// "|"), and not a character is written past the given size; unusable buffers are
// refused, and the base class has no message.
TEST(MfcExceptions, MessageIntoSmallBufferIsCutSafely) {
  CMemoryException* e = new CMemoryException;
  CException plain(FALSE);
  const struct {
    CException* exception;
    UINT size;
    BOOL answer;
    const wchar_t* buffer;
  } cases[] = {
      {e, 6, TRUE, L"Out o|ZZZZZZ"},
      {e, 1, TRUE, L"|ZZZZZZZZZZZ"},
      {e, 0, FALSE, L"ZZZZZZZZZZZZ"},
      {&plain, 12, FALSE, L"|ZZZZZZZZZZZ"},
  };
  for (const auto& c : cases) {
    wchar_t buffer[12];
    std::wmemset(buffer, L'Z', 12);
    UINT help = 77;
    EXPECT_EQ(c.exception->GetErrorMessage(buffer, c.size, &help), c.answer) << c.size;
    std::wstring seen(buffer, 12);
    std::replace(seen.begin(), seen.end(), L'\0', L'|');
    EXPECT_EQ(seen, c.buffer);
    if (c.answer) EXPECT_EQ(help, 0u);
  }
  EXPECT_FALSE(e->GetErrorMessage(nullptr, 100));
  e->Delete();
}

// ---- extension modules and resources ------------------------------------------------

bool inChain(HINSTANCE module) {
  for (CDynLinkLibrary* library : AfxGetModuleState()->m_libraryList)
    if (library->m_hModule == module) return true;
  return false;
}

// The attach and detach sequence of a plug-in: initialise, add its entry to the chain
// so its resources are found, and on detach take everything out again.
TEST(MfcModules, ExtensionModuleLifecycle) {
  static HINSTANCE__ pluginInstance{};
  HINSTANCE plugin = &pluginInstance;
  AFX_EXTENSION_MODULE ext;
  EXPECT_FALSE(AfxInitExtensionModule(ext, nullptr));
  EXPECT_FALSE(ext.bInitialized);
  ASSERT_TRUE(AfxInitExtensionModule(ext, plugin));
  EXPECT_EQ(ext.hModule, plugin);
  EXPECT_EQ(ext.hResource, plugin);
  static HINSTANCE__ otherInstance{};
  EXPECT_TRUE(AfxInitExtensionModule(ext, &otherInstance));  // already done: unchanged
  EXPECT_EQ(ext.hModule, plugin);

  new CDynLinkLibrary(ext);
  EXPECT_TRUE(inChain(plugin));
  registerModuleResource(plugin, ResourceKind::String, 501, L"Plug-in text");
  registerModuleResource(plugin, ResourceKind::Dialog, 600, L"dialog");
  EXPECT_EQ(findResourceHandle(ResourceKind::String, 501), plugin);
  EXPECT_EQ(findResourceHandle(ResourceKind::String, 600), nullptr);  // kinds are apart
  wchar_t text[8];
  EXPECT_EQ(AfxLoadString(501, text, 8), 7);
  EXPECT_EQ(std::wstring(text), L"Plug-in");

  // The current resource handle is searched before the chain.
  registerModuleResource(AfxGetInstanceHandle(), ResourceKind::String, 501, L"Host text");
  EXPECT_EQ(findResourceHandle(ResourceKind::String, 501), AfxGetInstanceHandle());
  HINSTANCE saved = AfxGetResourceHandle();
  EXPECT_EQ(saved, AfxGetInstanceHandle());
  AfxSetResourceHandle(plugin);
  EXPECT_EQ(findResourceHandle(ResourceKind::String, 501), plugin);
  AfxSetResourceHandle(saved);
  unregisterModuleResources(AfxGetInstanceHandle());

  AfxTermExtensionModule(ext);
  EXPECT_FALSE(inChain(plugin));
  EXPECT_FALSE(ext.bInitialized);
  EXPECT_EQ(findResourceHandle(ResourceKind::String, 501), nullptr);
  EXPECT_EQ(AfxLoadString(501, text, 8), 0);
  EXPECT_EQ(text[0], L'\0');
  unregisterModuleResources(plugin);
}

// Terminating with "all" removes every plug-in's entry but leaves system entries.
TEST(MfcModules, TerminateAllKeepsSystemEntries) {
  static HINSTANCE__ a{}, b{}, system{};
  AFX_EXTENSION_MODULE extA, extB, extSystem;
  AfxInitExtensionModule(extA, &a);
  AfxInitExtensionModule(extB, &b);
  AfxInitExtensionModule(extSystem, &system);
  new CDynLinkLibrary(extA);
  new CDynLinkLibrary(extB);
  CDynLinkLibrary* systemEntry = new CDynLinkLibrary(extSystem, TRUE);
  AfxTermExtensionModule(extA, TRUE);
  EXPECT_FALSE(inChain(&a));
  EXPECT_FALSE(inChain(&b));
  EXPECT_TRUE(inChain(&system));
  delete systemEntry;
  EXPECT_FALSE(inChain(&system));
}

// A scope may switch the module state; the state in effect comes back at its end.
TEST(MfcModules, ManageStateRestoresTheState) {
  AFX_MODULE_STATE own;
  static HINSTANCE__ ownResource{};
  own.m_hCurrentResourceHandle = &ownResource;
  own.m_lpszCurrentAppName = L"Own";
  AFX_MODULE_STATE* before = AfxGetModuleState();
  EXPECT_EQ(before, AfxGetAppModuleState());
  EXPECT_EQ(AfxGetStaticModuleState(), AfxGetAppModuleState());
  {
    AFX_MANAGE_STATE(&own);
    EXPECT_EQ(AfxGetModuleState(), &own);
    EXPECT_EQ(AfxGetResourceHandle(), &ownResource);
    EXPECT_EQ(std::wstring(AfxGetAppName()), L"Own");
  }
  EXPECT_EQ(AfxGetModuleState(), before);
  EXPECT_EQ(std::wstring(AfxGetAppName()), L"AutoCAD");
}

// ---- the main window -----------------------------------------------------------------

TEST(MfcWindows, MainWindowAndWrappers) {
  HWND main = adsw_acadMainWnd();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(acedGetAcadFrame()->GetSafeHwnd(), main);
  EXPECT_EQ(AfxGetMainWnd(), acedGetAcadFrame());
  EXPECT_EQ(CWnd::FromHandle(main), acedGetAcadFrame());
  static HWND__ other{};
  CWnd* wrapper = CWnd::FromHandle(&other);
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(wrapper->m_hWnd, &other);
  EXPECT_EQ(CWnd::FromHandle(&other), wrapper);
  EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

  // Putting the main window back after something else was active.
  clearWindowActivations();
  CWnd* previous = wrapper->SetActiveWindow();
  EXPECT_EQ(CWnd::GetActiveWindow(), wrapper);
  acedGetAcadFrame()->SetActiveWindow();
  EXPECT_EQ(CWnd::GetActiveWindow(), acedGetAcadFrame());
  ASSERT_NE(previous, nullptr);
  ASSERT_EQ(windowActivations().size(), 2u);
  EXPECT_EQ(windowActivations()[1].window, main);
  clearWindowActivations();
}

}  // namespace
