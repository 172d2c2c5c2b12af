// Readable names of the host's error statuses, for its messages.
#include "arx/status.h"

const char* acadErrorStatusText(Acad::ErrorStatus es) {
  switch (es) {
    case Acad::eOk: return "eOk";
    case Acad::eNotImplementedYet: return "eNotImplementedYet";
    case Acad::eNotApplicable: return "eNotApplicable";
    case Acad::eInvalidInput: return "eInvalidInput";
    case Acad::eOutOfMemory: return "eOutOfMemory";
    case Acad::eInvalidOpenState: return "eInvalidOpenState";
    case Acad::eHandleExists: return "eHandleExists";
    case Acad::eNullHandle: return "eNullHandle";
    case Acad::eUnknownHandle: return "eUnknownHandle";
    case Acad::eNullObjectPointer: return "eNullObjectPointer";
    case Acad::eNullObjectId: return "eNullObjectId";
    case Acad::eKeyNotFound: return "eKeyNotFound";
    case Acad::eDuplicateKey: return "eDuplicateKey";
    case Acad::eInvalidIndex: return "eInvalidIndex";
    case Acad::eAlreadyInDb: return "eAlreadyInDb";
    case Acad::eWrongObjectType: return "eWrongObjectType";
    case Acad::eWrongDatabase: return "eWrongDatabase";
    case Acad::eEndOfObject: return "eEndOfObject";
    case Acad::eEndOfFile: return "eEndOfFile";
    case Acad::eBadDxfSequence: return "eBadDxfSequence";
    case Acad::eFilerError: return "eFilerError";
    case Acad::eWrongItemKind: return "eWrongItemKind";
    case Acad::eInvalidDxfCode: return "eInvalidDxfCode";
    case Acad::eFileNotFound: return "eFileNotFound";
    case Acad::eFileAccessErr: return "eFileAccessErr";
    case Acad::eBadFileFormat: return "eBadFileFormat";
    case Acad::eWasErased: return "eWasErased";
    case Acad::eWasOpenForRead: return "eWasOpenForRead";
    case Acad::eWasOpenForWrite: return "eWasOpenForWrite";
    case Acad::eWasNotOpenForWrite: return "eWasNotOpenForWrite";
    case Acad::eNotOpenForRead: return "eNotOpenForRead";
    case Acad::eNotThatKindOfClass: return "eNotThatKindOfClass";
    case Acad::eNotInDatabase: return "eNotInDatabase";
    case Acad::eRegappIdNotFound: return "eRegappIdNotFound";
    case Acad::eInvalidSymbolTableName: return "eInvalidSymbolTableName";
    case Acad::eNothingToUndo: return "eNothingToUndo";
    case Acad::eNoDatabase: return "eNoDatabase";
    case Acad::eInvalidExtents: return "eInvalidExtents";
    case Acad::eMakeMeProxy: return "eMakeMeProxy";
  }
  return "unknown status";
}
