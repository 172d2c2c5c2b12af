// Messages and clean-up of the framework's exceptions.
#include "mfc/afx_exceptions.h"

#include <cwchar>

BOOL CException::copyMessage(const std::wstring& message, LPTSTR buffer, UINT maxChars, PUINT helpContext) {
  if (helpContext) *helpContext = 0;
  if (buffer == nullptr || maxChars == 0) return FALSE;
  const std::size_t count = message.size() < maxChars - 1 ? message.size() : maxChars - 1;
  std::wmemcpy(buffer, message.data(), count);
  buffer[count] = L'\0';
  return message.empty() ? FALSE : TRUE;
}

BOOL CException::GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext) const {
  // The base class knows no message; like the framework it hands back an empty text.
  copyMessage(L"", buffer, maxChars, helpContext);
  return FALSE;
}

void CException::Delete() {
  if (m_bAutoDelete > 0) delete this;
}

BOOL CSimpleException::GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext) const {
  return copyMessage(m_message, buffer, maxChars, helpContext);
}

CFileException::CFileException(int cause, LONG osError, LPCTSTR fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName ? fileName : L"") {}

BOOL CFileException::GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext) const {
  const wchar_t* what = L"an unexpected error occurred";
  switch (m_cause) {
    case none: what = L"no error occurred"; break;
    case fileNotFound: what = L"was not found"; break;
    case badPath: what = L"contains an invalid path"; break;
    case tooManyOpenFiles: what = L"could not be opened because there are too many open files"; break;
    case accessDenied: what = L"could not be accessed"; break;
    case invalidFile: what = L"is not a valid file"; break;
    case removeCurrentDir: what = L"could not be removed because it is the current folder"; break;
    case directoryFull: what = L"could not be created because the folder is full"; break;
    case badSeek: what = L"could not be positioned"; break;
    case hardIO: what = L"had a hardware input/output error"; break;
    case sharingViolation: what = L"is in use by another program"; break;
    case lockViolation: what = L"is locked"; break;
    case diskFull: what = L"could not be written because the disk is full"; break;
    case endOfFile: what = L"ended before everything was read"; break;
    default: break;
  }
  const std::wstring name = m_strFileName.empty() ? L"An unnamed file" : m_strFileName;
  return copyMessage(name + L" " + what + L".", buffer, maxChars, helpContext);
}

void AfxThrowMemoryException() { throw new CMemoryException; }

void AfxThrowNotSupportedException() { throw new CNotSupportedException; }

void AfxThrowInvalidArgException() { throw new CInvalidArgException; }

void AfxThrowFileException(int cause, LONG osError, LPCTSTR fileName) {
  throw new CFileException(cause, osError, fileName);
}
