#!/usr/bin/env python3
"""The mutation check: plants one deliberate fault at a time in a scratch copy of the
tree, rebuilds it and runs the tests, and reports which faults the tests catch.

    python3 scripts/mutants.py [--rev REV] [--only ID,...] [--list] [--jobs N]
                               [--report FILE] [--work DIR]

The copy lives in --work (default /tmp/ov_mutants): src/ is `git archive REV` of the
checkout this script belongs to (made once, brought back to REV file by file at every
start, so an interrupted run leaves nothing behind), build/ one Release build of it
with the tests on. The caller's checkout is never touched. Each build takes the
project's build lock for its own length only, so colleagues can build in between.

A fault is caught when a test fails, crashes or hangs past the timeout; missed when
every test passes; stale when its snippet no longer occurs exactly once in its file;
build-broken when the mutated tree does not build (no catch: such a fault should be
replaced by one that compiles).
"""

import argparse
import fcntl
import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
import time
from dataclasses import dataclass

LOCK = "/tmp/ov_plumb-build.lock"
REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The module's folders: the platform's unit tests neither contain nor load their code,
# so a fault there is tried on the module's unit tests and the scripts only.
MODULE_DIRS = ("frame/", "pipe/", "arrow/", "db/", "dialogs/", "grid/", "sizing/")


@dataclass
class Fault:
    id: str
    path: str
    original: str
    replacement: str
    breaks: str


F = Fault
FAULTS = [
    # ---- platform/arx: DXF in and out -------------------------------------------------
    F("dxf-in-locked-flag", "platform/arx/dxf_in.cpp",
      "layer->setIsLocked((flags & 4) != 0);",
      "layer->setIsLocked((flags & 2) != 0);",
      "a locked layer read from DXF comes in unlocked (bit 2 is frozen-in-new-viewports)"),
    F("dxf-in-lwpolyline-closed", "platform/arx/dxf_in.cpp",
      "    if ((obj.integer(70) & 1) != 0) pl->makeClosed();\n    return Acad::eOk;",
      "    return Acad::eOk;",
      "a closed LWPOLYLINE is read as an open polyline"),
    F("dxf-out-layer-off", "platform/arx/dxf_out.cpp",
      "body_.group(62, layer->isOff() ? -index : index);",
      "body_.group(62, index);",
      "a layer that is off is written as on (its colour is not negated)"),
    F("dxf-out-dash-code", "platform/arx/dxf_out.cpp",
      "body_.group(49, lt->dashLengthAt(i));",
      "body_.group(48, lt->dashLengthAt(i));",
      "linetype dash lengths go out under group 48 instead of 49"),
    F("dxf-out-clockwise-arc", "platform/arx/dxf_out.cpp",
      "      start.rotateBy(sweep, n);  // the far end of the arc is its start about +z\n",
      "",
      "a flattened clockwise arc is written starting at the wrong end (mirrored)"),
    F("dxf-parse-short-range", "platform/arx/dxf_filer_mem.cpp",
      "g.number.integer < -32768 || g.number.integer > 65535",
      "g.number.integer < -32768 || g.number.integer > 32767",
      "16-bit groups above 32767 (unsigned values) are refused as not 16-bit"),
    F("dxf-parse-crlf", "platform/arx/dxf_filer_mem.cpp",
      "    if (len > 0 && text_[start + len - 1] == '\\r') --len;\n",
      "",
      "lines of a DXF with CR LF line ends keep their CR"),
    # ---- platform/arx: drawing files ----------------------------------------------------
    F("hdw-class-index", "platform/arx/hdw_format.cpp",
      "if (o.classIndex >= classCount)",
      "if (o.classIndex > classCount)",
      "an object naming the class one past the last is accepted (off by one)"),
    F("hdw-duplicate-handle", "platform/arx/hdw_format.cpp",
      "      if (last_ < h) {",
      "      if (!(h < last_)) {",
      "a handle repeated right after itself is not caught as used twice"),
    F("hdw-class-entity-flag", "platform/arx/hdw_file.cpp",
      "  e.isEntity = cls->isDerivedFrom(AcDbEntity::desc());\n",
      "",
      "a class entry is filed as no entity, so its objects come back as proxy objects, not proxy entities"),
    # ---- platform/arx: symbol tables, database, objects ---------------------------------
    F("symtab-name-length", "platform/arx/db_symtab.cpp",
      "std::wcslen(name) > 255",
      "std::wcslen(name) > 256",
      "a symbol name of 256 characters is accepted (off by one)"),
    F("symtab-getat-erased", "platform/arx/db_symtab.cpp",
      "    if (rid.isErased() && !getErased) continue;\n",
      "",
      "getAt finds an erased record by name"),
    F("symtab-idlist-erased", "platform/arx/db_symtab.cpp",
      "if (filer->filerType() != AcDb::kFileFiler || !id.isErased()) kept.push_back(id);",
      "if (!id.isErased()) kept.push_back(id);",
      "a table filed for undo or copy leaves out its erased records, so undoing an erase loses them"),
    F("layer-off-frozen-order", "platform/arx/db_symtab.cpp",
      "  if (es == Acad::eOk) es = filer->writeBool(off_);\n  if (es == Acad::eOk) es = filer->writeBool(frozen_);",
      "  if (es == Acad::eOk) es = filer->writeBool(frozen_);\n  if (es == Acad::eOk) es = filer->writeBool(off_);",
      "a layer files its off and frozen flags in swapped order"),
    F("db-handseed-next", "platform/arx/db_database.cpp",
      "if (!(handle < handseed_)) handseed_ = AcDbHandle(handle.value() + 1);",
      "if (!(handle < handseed_)) handseed_ = AcDbHandle(handle.value());",
      "the handle seed stays on the last handle given, so the next object reuses it"),
    F("db-undo-group-limit", "platform/arx/db_database.cpp",
      "while (done.size() > kMaxGroups) {",
      "while (done.size() >= kMaxGroups) {",
      "undo keeps one group fewer than its limit"),
    F("open-write-while-read", "platform/arx/db_object.cpp",
      "      if (s->readers > 0) return Acad::eWasOpenForRead;\n",
      "",
      "an object open for read can also be opened for write"),
    F("upgrade-open-undo", "platform/arx/db_object.cpp",
      "  s->modified = true;\n  if (s->database) s->database->hostRecordBeforeWrite(s);\n  return Acad::eOk;\n}\n\nAcad::ErrorStatus AcDbObject::downgradeOpen",
      "  s->modified = true;\n  return Acad::eOk;\n}\n\nAcad::ErrorStatus AcDbObject::downgradeOpen",
      "changes made after upgradeOpen are not recorded for undo"),
    F("xdata-last-code", "platform/arx/db_object.cpp",
      "rb->restype < 1000 || rb->restype > 1071",
      "rb->restype < 1000 || rb->restype > 1070",
      "extended data refuses its last group code, 1071 (a 32-bit integer)"),
    F("entity-ltscale-code", "platform/arx/db_entity.cpp",
      "filer->writeDouble(static_cast<AcDb::DxfCode>(48), linetypeScale_);",
      "filer->writeDouble(static_cast<AcDb::DxfCode>(49), linetypeScale_);",
      "an entity's linetype scale goes out under group 49 instead of 48"),
    F("entity-ltscale-zero", "platform/arx/db_entity.cpp",
      "if (!(scale > 0)) return Acad::eInvalidInput;",
      "if (scale < 0) return Acad::eInvalidInput;",
      "a linetype scale of 0 is accepted"),
    # ---- platform/arx: geometry and entities --------------------------------------------
    F("ge-tangent-circle", "platform/arx/ge_curves.cpp",
      "    if (-disc <= tol * (2 * r + tol)) push(-b);  // touching\n",
      "",
      "a line touching a circle or arc is not found to meet it"),
    F("ge-mirror-line", "platform/arx/ge.cpp",
      "mirroringPlane(p1, AcGeVector3d(-along.y, along.x, 0))",
      "mirroringPlane(p1, AcGeVector3d(along.y, along.x, 0))",
      "mirroring about a line uses the wrong plane (sign of the normal's x)"),
    F("arc-full-sweep", "platform/arx/db_arc.cpp",
      "  if (s <= 0) s += 2 * M_PI;",
      "  if (s < 0) s += 2 * M_PI;",
      "an arc whose start and end angles are equal sweeps nothing instead of a full turn"),
    F("polyline-closing-segment", "platform/arx/db_polyline2d.cpp",
      "    if (closed_ && !pts.empty()) pts.push_back(pts.front());\n",
      "",
      "a closed simple polyline is drawn without its closing segment"),
    F("mtext-wrap-exact", "platform/arx/db_mtext.cpp",
      "static_cast<double>(candidate.size()) * charWidth > width",
      "static_cast<double>(candidate.size()) * charWidth >= width",
      "a multiline text line exactly as wide as the box wraps (off by one)"),
    # ---- platform/arx: documents, plug-ins, the rest ------------------------------------
    F("doc-close-locked", "platform/arx/ap_doc_manager.cpp",
      "  if (!doc->locks_.empty()) return Acad::eInvalidOpenState;\n",
      "",
      "a document still locked by a command or plug-in can be closed"),
    F("doc-close-activates", "platform/arx/ap_doc_manager.cpp",
      "if (wasActive && !activations_.empty()) activateDocument(activations_.back());",
      "if (wasActive && !activations_.empty()) activateDocument(activations_.front());",
      "closing the active document activates the least recently active one"),
    F("plugin-restore-current", "platform/arx/plugin_loader.cpp",
      "if (std::find(open.begin(), open.end(), previous) != open.end()) manager->setCurDocument(previous);",
      "if (std::find(open.begin(), open.end(), previous) == open.end()) manager->setCurDocument(previous);",
      "after kLoadDwgMsg the document current before is not made current again"),
    F("utf8-two-byte-limit", "platform/arx/aced_print.cpp",
      "    } else if (c < 0x800) {",
      "    } else if (c <= 0x800) {",
      "U+0800 is encoded as two bytes of UTF-8 (off by one), garbling it"),
    F("rb-kind-1071", "platform/arx/resbuf.cpp",
      "if (t >= 1060 && t <= 1070) return RbValueKind::kShort;",
      "if (t >= 1060 && t <= 1071) return RbValueKind::kShort;",
      "group 1071 (extended data 32-bit integer) is taken as a 16-bit one"),
    F("sysvar-useri-range", "platform/arx/sysvars.cpp",
      "value < -32768 || value > 32767",
      "value < -32768 || value > 65535",
      "USERIn accepts values beyond 16 bits, which it then cannot hold"),
    F("svg-arc-sweep-flag", "platform/arx/svg_render.cpp",
      "(a.sweep > 0 ? \"0 \" : \"1 \")",
      "(a.sweep > 0 ? \"1 \" : \"0 \")",
      "SVG arcs are drawn the other way round (sweep flag turned)"),
    # ---- platform/lisp ------------------------------------------------------------------
    F("lisp-sqrt-zero", "platform/lisp/lisp_builtins_math.cpp",
      "return std::sqrt(x); }, 0.0, true);",
      "return std::sqrt(x); }, 0.0, false);",
      "(sqrt 0) raises a domain error"),
    F("lisp-print-tab", "platform/lisp/lisp_printer.cpp",
      "      case L'\\t': out += L\"\\\\t\"; break;\n",
      "",
      "prin1 writes a tab in a string as \\011 instead of \\t"),
    F("lisp-print-exponent", "platform/lisp/lisp_printer.cpp",
      "    else text.insert(e, \".0\");",
      "    else text += \".0\";",
      "a whole real in exponent form prints as 1e+08.0 instead of 1.0e+08"),
    F("lisp-read-int-max", "platform/lisp/lisp_reader.cpp",
      "      value <= std::numeric_limits<std::int32_t>::max()) {",
      "      value < std::numeric_limits<std::int32_t>::max()) {",
      "2147483647 is read as a real instead of an integer (off by one)"),
    F("lisp-read-octal", "platform/lisp/lisp_reader.cpp",
      "for (int k = 0; k < 2 && pos_ < text_.size()",
      "for (int k = 0; k < 3 && pos_ < text_.size()",
      "an octal escape in a string takes four digits instead of three"),
    F("lisp-entget-angle-50", "platform/lisp/lisp_entity_data.cpp",
      "bool isAngleCode(int code) { return code >= 50 && code <= 58; }",
      "bool isAngleCode(int code) { return code > 50 && code <= 58; }",
      "group 50 (rotation, start angle) is not converted between radians and degrees"),
    F("lisp-cond-test-value", "platform/lisp/lisp_special_forms.cpp",
      "if (isTrue(test)) return forms.size() == 1 ? test : evalSequence(in, forms, 1);",
      "if (isTrue(test)) return evalSequence(in, forms, 1);",
      "a cond clause with only a test answers nil instead of the test's value"),
    # ---- platform/com -------------------------------------------------------------------
    F("safearray-index-end", "platform/com/safearray.cpp",
      "offset >= static_cast<std::int64_t>(array->rgsabound[0].cElements)",
      "offset > static_cast<std::int64_t>(array->rgsabound[0].cElements)",
      "the element one past the end of a SAFEARRAY is handed out (off by one)"),
    F("safearray-destroy-locked", "platform/com/safearray.cpp",
      "  if (array == nullptr) return S_OK;\n  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;\n",
      "  if (array == nullptr) return S_OK;\n",
      "a locked SAFEARRAY is destroyed under the code that holds its data"),
    F("variant-byte-range", "platform/com/variant.cpp",
      "wholeNumber(number, 0, 255, whole)",
      "wholeNumber(number, 0, 256, whole)",
      "256 converts to VT_UI1 instead of overflowing"),
    # ---- platform/win -------------------------------------------------------------------
    F("registry-exact-buffer", "platform/win/registry.cpp",
      "if (*dataSize < needed) {",
      "if (*dataSize <= needed) {",
      "RegQueryValueEx refuses a buffer of exactly the size needed"),
    F("find-next-past-end", "platform/win/find_file.cpp",
      "if (position >= entries.size()) {",
      "if (position > entries.size()) {",
      "FindNextFile hands out an entry past the last one (off by one)"),
    # ---- platform/projectdb -------------------------------------------------------------
    F("sql-desc-nulls", "platform/projectdb/table_cursor.cpp",
      "return \"(\" + column + \" < ? OR \" + column + \" IS NULL)\";",
      "return \"(\" + column + \" < ?)\";",
      "moving on through a descending index skips the rows whose key is NULL"),
    F("sql-seek-null", "platform/projectdb/table_cursor.cpp",
      "  if (value.isNull()) return column + \" IS NULL\";",
      "  if (value.isNull()) return column + \" = NULL\";",
      "seeking a NULL key never finds a row (= NULL is never true)"),
    F("sql-order-desc", "platform/projectdb/table_cursor.cpp",
      "(columns[i].descending ? \" DESC\" : \"\")",
      "(columns[i].descending ? \"\" : \"\")",
      "a descending index is walked in ascending order"),
    F("sql-read-lock-kept", "platform/projectdb/sqlite_session.cpp",
      "  if (--session_.readDepth_ > 0) return;\n  sqlite3_reset(session_.versionStatement_);\n",
      "  if (--session_.readDepth_ > 0) return;\n",
      "a read transaction is never ended, so its lock stays on the database file"),
    # ---- platform/mfc/dialog.cpp --------------------------------------------------------
    F("dialog-cursel-end", "platform/mfc/dialog.cpp",
      "if (index < 0 || index >= GetCount()) {",
      "if (index < 0 || index > GetCount()) {",
      "SetCurSel accepts the index one past the last entry (off by one)"),
    # ---- grid ---------------------------------------------------------------------------
    F("grid-insert-selection", "grid/grid.cpp",
      "if (selectedRow_ >= at) ++selectedRow_;",
      "if (selectedRow_ > at) ++selectedRow_;",
      "inserting a row at the selected one leaves the selection on the new row"),
    # ---- frame --------------------------------------------------------------------------
    F("frame-unlock-on-refusal", "frame/lisp_frame.cpp",
      "    if (context != nullptr && !context->connect(context->currentDocData(), true, kModuleToken)) {\n"
      "      unlockWorkingDocument();\n",
      "    if (context != nullptr && !context->connect(context->currentDocData(), true, kModuleToken)) {\n",
      "a call refused for want of a project connection leaves the document locked"),
    F("frame-bad-data-text", "frame/lisp_frame.cpp",
      "L\"\\nBad data passed .\\n\"",
      "L\"\\nBad data passed.\\n\"",
      "the bad-data message loses the space the host's text has before its full stop"),
    F("layers-default-key", "frame/layers.cpp",
      "(!findKey(*project.layerKeys, system, key) && !findKey(*project.layerKeys, system, L\"DEFAULT\"))",
      "!findKey(*project.layerKeys, system, key)",
      "a layer key missing from the project does not fall back to the DEFAULT row"),
    F("layers-unlock-layer", "frame/layers.cpp",
      "  layer->setIsLocked(false);\n",
      "",
      "a resolved layer that is locked stays locked"),
    # ---- pipe ---------------------------------------------------------------------------
    F("pipe-slot-shift", "pipe/pipe_breaks.cpp",
      "for (int j = kFittingBreakSlots - 1; j > i; --j)",
      "for (int j = kFittingBreakSlots - 2; j > i; --j)",
      "inserting into nearly full break slots loses the ninth break and keeps a stale tenth"),
    F("pipe-merge-touching", "pipe/pipe_drawing.h",
      "if (!out.empty() && out.back().upper() >= d - width / 2.0) {",
      "if (!out.empty() && out.back().upper() > d - width / 2.0) {",
      "two break gaps that just touch are drawn as two gaps with nothing between"),
    F("pipe-arc-old-direction", "pipe/pipe_drawing.cpp",
      "const int direction = info.iNormal < 0 ? -1 : 1;",
      "const int direction = info.iNormal <= 0 ? -1 : 1;",
      "arcs of the oldest drawings (side 0) turn clockwise instead of counter-clockwise"),
    F("pipe-v11-ptrap-breaks", "pipe/pipe_filing.cpp",
      "if (version >= 12) in.reals(pipe.aPtrapLine1Breaks)",
      "if (version >= 11) in.reals(pipe.aPtrapLine1Breaks)",
      "a version 11 pipe is read as if it had P-trap break lists"),
    F("pipe-dxf-dwgend-code", "pipe/pipe_filing.cpp",
      "filer->writeInt32(dxfCode(92), bDwgEnd ? 1 : 0);",
      "filer->writeInt32(dxfCode(93), bDwgEnd ? 1 : 0);",
      "the pipe's drawing-end flag goes out under group 93, which it reads back from 92"),
    F("pipe-mid-grip", "pipe/pipe_editing.cpp",
      "moved.end = moved.end || index != 1;",
      "moved.end = moved.end || index == 2;",
      "dragging the midpoint grip moves only the start instead of the whole pipe"),
    # ---- arrow --------------------------------------------------------------------------
    F("arrow-offsets-swapped", "arrow/arrow_filing.cpp",
      "    run.writeDouble(dTailOffset);\n    run.writeDouble(dHeadOffset);\n    run.writeInt32(ixPipe);\n    // Files",
      "    run.writeDouble(dHeadOffset);\n    run.writeDouble(dTailOffset);\n    run.writeInt32(ixPipe);\n    // Files",
      "an arrow files its head offset where its tail offset belongs and back"),
    F("arrow-hanger-at-end", "arrow/arrow_drawing.cpp",
      "if (!(plan > distance)) continue;",
      "if (plan < distance) continue;",
      "a hanger at the very end of the pipe is drawn (it belongs to the next pipe)"),
    # ---- db -----------------------------------------------------------------------------
    F("sql-empty-text", "db/sql_text.cpp",
      "if (text.empty()) return L\"' '\";",
      "if (text.empty()) return L\"''\";",
      "an empty text goes to SQL as '' instead of the single blank the database keeps"),
    F("variant-bool-true", "db/field_conversion.cpp",
      "return static_cast<std::int16_t>(variantToInt(value)) == -1;",
      "return static_cast<std::int16_t>(variantToInt(value)) != 0;",
      "any non-zero stored value reads as true, not only -1"),
    F("record-master-columns", "db/table_record.cpp",
      "if (fields_[i].changed && mayWrite(i)) columns.push_back(i);",
      "if (fields_[i].changed) columns.push_back(i);",
      "a record without master columns writes them all the same"),
    F("record-delete-not-found", "db/table_record.cpp",
      "  db_->Seek(key, &row, &found);\n  if (found != VARIANT_TRUE) return;\n",
      "  db_->Seek(key, &row, &found);\n",
      "deleting a record whose key is gone deletes whatever row is current"),
    F("seed-flow-rounding", "db/project_seed.cpp",
      "return std::round(velocity * area * 448.83 * 10.0) / 10.0;",
      "return std::floor(velocity * area * 448.83 * 10.0) / 10.0;",
      "a new project's flow table is cut down to a tenth instead of rounded"),
    # ---- dialogs ------------------------------------------------------------------------
    F("options-grey-minimum", "dialogs/COptions.cpp",
      "const bool minimumGrey = method == kNotToScale || method == kToScale;",
      "const bool minimumGrey = method == kNotToScale;",
      "\"To scale\" leaves the minimum vertical diameter editable"),
    # ---- the customisation dialogs -------------------------------------------------------
    F("sizing-title-unquoted", "sizing/CDialogPipeSizingTable.cpp",
      "L\"update tblLabelGroup set sLabel = \" + sqlText(name)",
      "L\"update tblLabelGroup set sLabel = '\" + name + L\"'\"",
      "a table name holding an apostrophe breaks the label group's title update"),
    F("sizing-last-table-deleted", "sizing/CDialogPipeSizingTable.cpp",
      "if (tables_.rowCount() - tables_.headingRowCount() == 1)",
      "if (tables_.rowCount() - tables_.headingRowCount() == 0)",
      "the only sizing table of a pipe type can be deleted"),
    F("pipe-size-new-step", "sizing/CDialogPipeSize.cpp",
      "const double interior = (isSize(last) ? grid_.number(last, kColumnInterior) : 0.0) + 1.0;",
      "const double interior = (isSize(last) ? grid_.number(last, kColumnInterior) : 0.0) + 2.0;",
      "a new size is two inches past the last one"),
    F("pipe-size-no-zero-flows", "sizing/CDialogPipeSize.cpp",
      "if (adding && size_->ixPipeSize() >= 1) addZeroFlowValues(type, size_->ixPipeSize());",
      "(void)adding;",
      "a new size gets no flow in its type's sizing tables"),
    F("lookup-move-off-by-one", "sizing/CDialogLookup.cpp",
      "const int to = after < 0 ? grid_.headingRowCount() : (after < row ? after + 1 : after);",
      "const int to = after < 0 ? grid_.headingRowCount() : after + 1;",
      "a fixture count raised past later rows lands one row too far"),
    F("multiplier-zero-taken", "sizing/CDialogMultiplier.cpp",
      "if (typed <= 0.0) {",
      "if (typed < 0.0) {",
      "a multiplier of 0 is taken"),
    F("query-hanger-spacing", "sizing/CDialogPipeSum.cpp",
      "L\"Hanger spacing must be greater than six inches.\", 6.0},",
      "L\"Hanger spacing must be greater than six inches.\", 5.0},",
      "a hanger spacing of six inches is taken"),
    F("query-type-change-keeps-sums", "sizing/CDialogPipeSum.cpp",
      "if (chosenPipeType() != storedType_) executeSql(",
      "if (false) executeSql(",
      "a pipe changing type keeps the sums of its old categories"),
    F("categories-rename-collides", "sizing/CDialogSumCategory.cpp",
      "    if (category_->FindBy(type, _variant_t(name.c_str())) && category_->ixPipeSumCategory() != key) {",
      "    if (false) {",
      "two categories swapping names collide in the project"),
    F("pipe-type-copy-name", "dialogs/CDialogPipeType.cpp",
      "L\" (Copy \", L\")\")",
      "L\" (Copy\", L\")\")",
      "a copied pipe type is named without the blank before its number"),
    F("symbols-earlier-replacement", "dialogs/CDialogDwgValve.cpp",
      "      if (earlier.second == pair.first) earlier.second = pair.second;",
      "      (void)earlier;",
      "a symbol replaced by one deleted later keeps pointing at the deleted one"),
    F("fixture-ptrap-one-ticks", "dialogs/DialogFixtureConnection.cpp",
      "CheckDlgButton(kPTrap, kept && ptrap == kBoxOn ? BST_CHECKED : BST_UNCHECKED);",
      "CheckDlgButton(kPTrap, kept && ptrap != 0 ? BST_CHECKED : BST_UNCHECKED);",
      "a P-trap kept as 1 ticks the box"),
    F("floors-no-inch-above", "dialogs/DialogFloorGroup.cpp",
      "setElevation(row - 1, elevation(row) + 1.0);",
      "setElevation(row - 1, elevation(row));",
      "two floors of a group at one elevation are stored so"),
    F("floors-risers-ignored", "dialogs/DialogFloorGroup.cpp",
      "    if (argBool(answer, risers) && risers) {",
      "    if (false) {",
      "a floor moves past another although risers join them"),
    F("area-erased-names-free", "dialogs/CAlignQuery.cpp",
      "if (area_->ixAlignmentPointArea() != areaKey_ && area_->sName() == name) refusal = L\"Name already exists.\";",
      "if (area_->ixAlignmentPointArea() != areaKey_ && !area_->bDeleted() && area_->sName() == name) refusal = L\"Name already exists.\";",
      "an area may take the name of an erased area"),
    F("explorer-no-none-on-drawing", "dialogs/CDialogProjectExplorerPlumb.cpp",
      "if (addChildren(row, hostQuery(sql, L\"sName\", L\"ixFloor\"), child, true) == 0) addLeaf(row + 1, child, kNoneOnDrawing);",
      "addChildren(row, hostQuery(sql, L\"sName\", L\"ixFloor\"), child, true);",
      "a pipe type placed nowhere shows no \"None on drawing\""),
    # ---- the host program's sizing --------------------------------------------------------
    F("sizing-no-tees", "platform/network/pipe_network.cpp",
      "if ((r.start + along * t).distanceTo(p) <= tolerance_) runPoints_[run].push_back({t, node});",
      "(void)t;",
      "a branch that leaves a main's run is not joined to it"),
    F("sizing-riser-link-ignored", "platform/network/pipe_network.cpp",
      "        sets_.join(startNode_[i], endNode_[riser->second]);",
      "        (void)riser;",
      "a pipe continuing a riser on another floor is not joined to it"),
    F("sizing-vertical-ignored", "platform/network/flow_sizing.cpp",
      "const double capacity = vertical ? value->second.flowVertical : value->second.flow;",
      "const double capacity = value->second.flow;",
      "a riser is sized by the horizontal flows"),
    F("sizing-minimum-from-rows-above", "platform/network/flow_sizing.cpp",
      "      if (fixtures <= carried[c])",
      "      if (fixtures >= carried[c])",
      "a lookup row's minimum size applies to pipes carrying fewer fixtures than it"),
    F("sizing-lock-ignored", "platform/network/flow_sizing.cpp",
      "  if (pipe.sizeLocked) return void(out.outcome = SizeOutcome::Locked);\n",
      "",
      "a locked size is changed"),
    F("sizing-farthest-from-source", "platform/network/flow_sizing.cpp",
      "s.farthest = farthest[k] == kNone ? 0.0 : farthest[k] - s.fromSource;",
      "s.farthest = farthest[k] == kNone ? 0.0 : farthest[k];",
      "the distance to the farthest fixture is measured from the source"),
    F("sizing-calculated-rows-kept", "platform/lisp/host_program.lsp",
      "  (host-sql-each \"DELETE FROM tblPipeSum WHERE ixPipe = ? AND bFixed = 0\" keys)\n",
      "",
      "sizing again adds calculated rows beside the old ones"),
    F("sizing-source-end-ignores-direction", "platform/network/pipe_network.cpp",
      "if (startFree && endFree) return pipes_[pipe].reversed ? endNode_[pipe] : startNode_[pipe];",
      "if (startFree && endFree) return startNode_[pipe];",
      "a drain joined to nothing is fed at its start instead of emptying at its end"),
]


# ---- the scratch copy ------------------------------------------------------------------

def run(cmd, **kw):
    return subprocess.run(cmd, text=True, errors="replace", capture_output=True, **kw)


def git(*args):
    r = run(["git", "-C", REPO, *args])
    if r.returncode != 0:
        sys.exit("git %s: %s" % (" ".join(args), r.stderr.strip()))
    return r.stdout.strip()


def files_under(root):
    out = {}
    for folder, dirs, names in os.walk(root):
        for n in names:
            full = os.path.join(folder, n)
            out[os.path.relpath(full, root)] = full
    return out


def sync_source(work, rev):
    """Makes work/src hold exactly `rev`, touching only the files that differ, so that
    the build folder stays valid and an interrupted run's fault is undone."""
    src = os.path.join(work, "src")
    os.makedirs(src, exist_ok=True)
    with tempfile.TemporaryDirectory(dir=work) as staging:
        archive = subprocess.run(["git", "-C", REPO, "archive", "--format=tar", rev],
                                 capture_output=True, check=True).stdout
        tar_path = os.path.join(staging, "rev.tar")
        with open(tar_path, "wb") as f:
            f.write(archive)
        tree = os.path.join(staging, "tree")
        with tarfile.open(tar_path) as t:
            t.extractall(tree)
        want, have = files_under(tree), files_under(src)
        changed = 0
        for rel, path in want.items():
            dest = os.path.join(src, rel)
            with open(path, "rb") as f:
                data = f.read()
            if rel in have:
                with open(dest, "rb") as f:
                    if f.read() == data:
                        continue
            os.makedirs(os.path.dirname(dest), exist_ok=True)
            with open(dest, "wb") as f:
                f.write(data)
            shutil.copymode(path, dest)
            changed += 1
        for rel in set(have) - set(want):
            os.remove(os.path.join(src, rel))
            changed += 1
    return src, changed


def configure(work, src):
    build = os.path.join(work, "build")
    # Release at -O2 (quicker to rebuild after each fault than CMake's -O3), no
    # sanitizers, with the tests. Tests are listed when ctest runs rather than after
    # every link: the unit tests are run here directly, and a build is only a build.
    r = run(["cmake", "-S", src, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
             "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG",
             "-DOV_TESTS=ON", "-DOV_BENCH=OFF", "-DOV_SANITIZE=OFF", "-DOV_FUZZ=OFF",
             "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"])
    if r.returncode != 0:
        sys.exit("configuring the scratch build failed:\n" + r.stdout + r.stderr)
    return build


def build_tree(build, jobs):
    """One incremental build under the project's build lock, held for this build only.
    Answers (ok, output, seconds spent waiting for the lock)."""
    with open(LOCK, "a") as lock:
        t0 = time.time()
        fcntl.flock(lock, fcntl.LOCK_EX)
        waited = time.time() - t0
        try:
            r = run(["cmake", "--build", build, "-j", str(jobs)])
        finally:
            fcntl.flock(lock, fcntl.LOCK_UN)
    return r.returncode == 0, r.stdout + r.stderr, waited


# ---- running the tests -----------------------------------------------------------------

FAILED_TEST = re.compile(r"^\[  FAILED  \] (\S+)", re.M)
RUNNING_TEST = re.compile(r"^\[ RUN      \] (\S+)", re.M)
CTEST_FAIL = re.compile(r"^\s*\d+/\d+ Test\s+#\d+: (\S+) \.+\*+(\w+)", re.M)


def describe_gtest(exe, out, status):
    failed = FAILED_TEST.findall(out)
    if failed:
        return "%s:%s" % (exe, failed[0])
    running = RUNNING_TEST.findall(out)
    return "%s:%s (crashed, exit %d)" % (exe, running[-1] if running else "?", status)


def run_gtest(build, exe, timeout, shards=2):
    """Runs one unit test executable as two shards side by side, each stopping at its
    first failure; the first failure stops both. Answers None when every test passes,
    else what caught the fault."""
    path = os.path.join(build, "bin", exe)
    procs = []
    for index in range(shards):
        env = dict(os.environ, GTEST_TOTAL_SHARDS=str(shards), GTEST_SHARD_INDEX=str(index))
        out = tempfile.TemporaryFile(mode="w+", errors="replace")
        # Its own process group, so that whatever a test started goes with it.
        p = subprocess.Popen([path, "--gtest_fail_fast"], cwd=os.path.join(build, "tests"), env=env,
                             stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                             start_new_session=True)
        procs.append((p, out))

    def output(out):
        out.flush()
        out.seek(0)
        return out.read()

    deadline = time.time() + timeout
    caught = None
    try:
        while caught is None:
            done = [(p, out) for p, out in procs if p.poll() is not None]
            for p, out in done:
                if p.returncode != 0:
                    caught = describe_gtest(exe, output(out), p.returncode)
                    break
            if caught is None and len(done) == len(procs):
                return None
            if caught is None and time.time() > deadline:
                running = [RUNNING_TEST.findall(output(out)) for p, out in procs if p.poll() is None]
                last = next((r[-1] for r in running if r), "?")
                caught = "%s:%s (hang: timed out after %ds)" % (exe, last, timeout)
            if caught is None:
                time.sleep(0.05)
    finally:
        for p, out in procs:
            if p.poll() is None:
                os.killpg(p.pid, 9)
                p.wait()
            out.close()
    return caught


def run_scripts(build, timeout):
    """The end-to-end tests through ctest, two at a time, stopping at the first failure."""
    r = run(["ctest", "--test-dir", build, "-R", r"^script\.", "-j2", "--stop-on-failure",
             "--timeout", str(timeout), "--output-on-failure"])
    if r.returncode == 0:
        return None
    m = CTEST_FAIL.search(r.stdout)
    if m:
        what = m.group(2)
        return "%s%s" % (m.group(1), " (hang: timed out after %ds)" % timeout if what == "Timeout" else "")
    return "ctest (exit %d)" % r.returncode


def stages_for(fault):
    module = fault.path.startswith(MODULE_DIRS)
    units = ["module_tests"] if module else ["platform_tests", "module_tests"]
    return units


def run_tests(build, units, timeouts):
    for exe in units:
        caught = run_gtest(build, exe, timeouts[exe])
        if caught:
            return caught
    return run_scripts(build, timeouts["scripts"])


# ---- the faults ------------------------------------------------------------------------

def apply_fault(src, fault):
    """Writes the mutated file; answers the original bytes, or None when stale."""
    path = os.path.join(src, fault.path)
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8") as f:
        text = f.read()
    if text.count(fault.original) != 1:
        return None
    with open(path, "w", encoding="utf-8") as f:
        f.write(text.replace(fault.original, fault.replacement))
    return text


def restore(src, fault, text):
    with open(os.path.join(src, fault.path), "w", encoding="utf-8") as f:
        f.write(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--rev", default="HEAD", help="revision to copy (default HEAD of this checkout)")
    ap.add_argument("--only", help="comma-separated fault ids to run")
    ap.add_argument("--list", action="store_true", help="list the faults and exit")
    ap.add_argument("--jobs", type=int, default=2, help="build jobs (default 2)")
    ap.add_argument("--report", help="also write the report to this file")
    ap.add_argument("--work", default="/tmp/ov_mutants", help="scratch folder (default /tmp/ov_mutants)")
    args = ap.parse_args()

    ids = [f.id for f in FAULTS]
    dupes = {i for i in ids if ids.count(i) > 1}
    if dupes:
        sys.exit("duplicate fault ids: " + ", ".join(sorted(dupes)))
    faults = FAULTS
    if args.only:
        wanted = [i.strip() for i in args.only.split(",") if i.strip()]
        unknown = [i for i in wanted if i not in ids]
        if unknown:
            sys.exit("unknown fault ids: " + ", ".join(unknown))
        faults = [f for f in FAULTS if f.id in wanted]
    if args.list:
        for f in faults:
            print("%-28s %-42s %s" % (f.id, f.path, f.breaks))
        print("%d faults" % len(faults))
        return 0

    rev = git("rev-parse", "--verify", args.rev + "^{commit}")
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    started = time.time()
    lines = []

    def say(line):
        print(line, flush=True)
        lines.append(line)

    src, changed = sync_source(work, rev)
    build = configure(work, src)
    say("mutation check of %s (%s), %d faults; scratch tree %s (%d files brought back to the revision)"
        % (rev[:10], git("log", "-1", "--format=%s", rev)[:60], len(faults), work, changed))

    # The unmutated tree first: every test must pass, and its times set the timeouts.
    t0 = time.time()
    ok, out, waited = build_tree(build, args.jobs)
    if not ok:
        sys.exit("the unmutated tree does not build:\n" + out[-4000:])
    build_s = time.time() - t0 - waited
    timeouts = {}
    for exe in ("platform_tests", "module_tests"):
        t0 = time.time()
        caught = run_gtest(build, exe, 1800)
        spent = time.time() - t0
        if caught:
            sys.exit("the unmutated tree fails its tests: " + caught)
        timeouts[exe] = int(max(60, 4 * spent))
    t0 = time.time()
    caught = run_scripts(build, 600)
    spent = time.time() - t0
    if caught:
        sys.exit("the unmutated tree fails its tests: " + caught)
    # A single script is given what the slowest might need; the run as a whole is bounded
    # by ctest stopping at the first failure.
    timeouts["scripts"] = int(max(60, 2 * spent))
    say("unmutated tree: build %.0fs (after %.0fs waiting for the lock); tests pass (timeouts: platform_tests %ds, module_tests %ds, each script %ds)"
        % (build_s, waited, timeouts["platform_tests"], timeouts["module_tests"], timeouts["scripts"]))
    say("")
    say("secs: the fault's whole time; build: compiling and linking (waiting for the lock not counted)")
    say("%-28s %-13s %5s %5s  %s" % ("fault", "result", "secs", "build", "caught by / what it breaks"))

    results = {"caught": 0, "missed": 0, "stale": 0, "build-broken": 0}
    missed = []
    pending = None  # (fault, original text) restored before the next build
    lock_wait = 0.0
    try:
        for fault in faults:
            t0 = time.time()
            if pending:
                restore(src, *pending)
                pending = None
            text = apply_fault(src, fault)
            if text is None:
                results["stale"] += 1
                say("%-28s %-13s %5s %5s  %s" % (fault.id, "stale", "-", "-", "snippet not found exactly once in " + fault.path))
                continue
            pending = (fault, text)
            # The previous fault's file, restored above, is rebuilt in this same build.
            ok, out, waited = build_tree(build, args.jobs)
            built = time.time() - t0 - waited
            lock_wait += waited
            if not ok:
                results["build-broken"] += 1
                errors = [l for l in out.splitlines() if "error" in l.lower()]
                say("%-28s %-13s %5.0f %5.0f  %s" % (fault.id, "build-broken", time.time() - t0, built,
                                                     errors[0][:120] if errors else "build failed"))
                continue
            caught = run_tests(build, stages_for(fault), timeouts)
            spent = time.time() - t0
            if caught:
                results["caught"] += 1
                say("%-28s %-13s %5.0f %5.0f  %s" % (fault.id, "caught", spent, built, caught))
            else:
                results["missed"] += 1
                missed.append(fault)
                say("%-28s %-13s %5.0f %5.0f  %s" % (fault.id, "MISSED", spent, built, fault.breaks))
    finally:
        # Leave the scratch tree and its build as the revision has them.
        if pending:
            restore(src, *pending)
            build_tree(build, args.jobs)

    total = len(faults)
    say("")
    say("score: %d/%d caught (%d missed, %d stale, %d build-broken) in %.1f minutes, %.1f of them waiting for"
        " the build lock" % (results["caught"], total, results["missed"], results["stale"], results["build-broken"],
                             (time.time() - started) / 60, lock_wait / 60))
    for f in missed:
        say("missed: %s (%s): %s" % (f.id, f.path, f.breaks))
    if args.report:
        os.makedirs(os.path.dirname(os.path.abspath(args.report)), exist_ok=True)
        with open(args.report, "w") as f:
            f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
