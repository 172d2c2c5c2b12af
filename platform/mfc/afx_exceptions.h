// The framework's exception classes. As on the real framework they are thrown as
// pointers (throw new CMemoryException) and the catcher calls Delete() when done.
#pragma once

#include <string>

#include "win/windows_types.h"

using PUINT = UINT*;

class CObject {
 public:
  virtual ~CObject() = default;
};

class CException : public CObject {
 public:
  // An exception made on the heap deletes itself in Delete(); one made on the stack
  // passes FALSE.
  explicit CException(BOOL autoDelete = TRUE) : m_bAutoDelete(autoDelete) {}
  // Copies the message into buffer (at most maxChars characters with the terminating
  // null, cut short when longer) and answers whether there is a message. A null or
  // empty buffer answers FALSE and writes nothing.
  virtual BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const;
  void Delete();

 protected:
  // Shared by the subclasses: copies a message with the rules above.
  static BOOL copyMessage(const std::wstring& message, LPTSTR buffer, UINT maxChars, PUINT helpContext);

  BOOL m_bAutoDelete;
};

// An exception whose message is a fixed text.
class CSimpleException : public CException {
 public:
  explicit CSimpleException(std::wstring message, BOOL autoDelete = TRUE)
      : CException(autoDelete), m_message(std::move(message)) {}
  BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override;

 protected:
  std::wstring m_message;
};

class CMemoryException : public CSimpleException {
 public:
  explicit CMemoryException(BOOL autoDelete = TRUE) : CSimpleException(L"Out of memory.", autoDelete) {}
};

class CNotSupportedException : public CSimpleException {
 public:
  explicit CNotSupportedException(BOOL autoDelete = TRUE)
      : CSimpleException(L"An unsupported operation was attempted.", autoDelete) {}
};

class CInvalidArgException : public CSimpleException {
 public:
  explicit CInvalidArgException(BOOL autoDelete = TRUE)
      : CSimpleException(L"An invalid argument was encountered.", autoDelete) {}
};

// A failure on a file, with its cause, the system's error number and the file name.
class CFileException : public CException {
 public:
  enum {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile
  };
  explicit CFileException(int cause = none, LONG osError = -1, LPCTSTR fileName = nullptr);
  BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override;

  int m_cause;
  LONG m_lOsError;
  std::wstring m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, LPCTSTR fileName = nullptr);
