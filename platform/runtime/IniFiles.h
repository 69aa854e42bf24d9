// Ini files: "[section]" lines followed by "name=value" lines.  Section and
// key names compare without regard to case; values keep their case.
//
// TMemIniFile reads the file once and keeps it in memory; UpdateFile writes it
// back.  TIniFile writes the file after every change and reads it again when
// it has changed on disk, so several objects on one file agree.  Files are
// written as UTF-8 without a byte-order mark (unless the text itself starts
// with U+FEFF, which a mark in front keeps from being taken for one; a text
// with a lone surrogate, which UTF-8 cannot hold, goes as UTF-16LE with its
// mark), CR LF line ends; reading accepts
// UTF-8, UTF-16LE and UTF-16BE with byte-order marks, and any line ends.
// Lines starting with ';' are comments, kept when the file is written back;
// a missing file reads as empty.  A value with a blank at either end (or held
// in double quotes itself) is written in double quotes, and a value read in
// double quotes loses that pair.  A section, key or value with a line break
// is refused (EWriteError), as it would break the file's lines.  TIniFile
// locks the file's folder from the read to the replace of each change, so
// that changes of several processes to one file are all kept.
#pragma once

#include <memory>
#include <vector>

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(const String& fileName) : fFileName(fileName) {}
  ~TCustomIniFile() override = default;

  const String& FileName() const { return fFileName; }

  virtual String ReadString(const String& section, const String& ident, const String& def) = 0;
  virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
  // Decimal or '$'/0x hexadecimal; def when absent or not a number.
  Int32 ReadInteger(const String& section, const String& ident, Int32 def);
  void WriteInteger(const String& section, const String& ident, Int32 value);
  // "0" is false, any other number true; "true"/"false" in any case too.
  bool ReadBool(const String& section, const String& ident, bool def);
  void WriteBool(const String& section, const String& ident, bool value);
  // Written with '.' as the decimal separator; read with '.' or ','.
  Double ReadFloat(const String& section, const String& ident, Double def);
  void WriteFloat(const String& section, const String& ident, Double value);

  // Names of the keys of a section / names of the sections, in file order.
  virtual void ReadSection(const String& section, TStrings* strings) = 0;
  virtual void ReadSections(TStrings* strings) = 0;
  // "name=value" lines of a section.
  virtual void ReadSectionValues(const String& section, TStrings* strings) = 0;
  virtual bool SectionExists(const String& section);
  virtual bool ValueExists(const String& section, const String& ident);
  virtual void EraseSection(const String& section) = 0;
  virtual void DeleteKey(const String& section, const String& ident) = 0;
  virtual void UpdateFile() = 0;

 protected:
  String fFileName;
};

class TMemIniFile : public TCustomIniFile {
 public:
  explicit TMemIniFile(const String& fileName);
  ~TMemIniFile() override = default;

  String ReadString(const String& section, const String& ident, const String& def) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void ReadSectionValues(const String& section, TStrings* strings) override;
  bool SectionExists(const String& section) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  // Writes the content to the file (creating its folder is the caller's
  // business), replacing it whole: raises EFCreateError when the file cannot
  // be made, or when it exists but could not be read (writing would lose what
  // it holds), and EWriteError when its content cannot be written; the file
  // is then as it was.
  void UpdateFile() override;
  // Discards what is in memory and reads the file again.
  void Rename(const String& fileName, bool reload);
  void Clear();
  // The whole content as text / replaces it.
  void GetStrings(TStrings* list);
  void SetStrings(const TStrings* list);

 protected:
  struct Entry {
    String name;
    String value;
    bool hasSeparator = true;  // a line kept as read, without '='
    bool isComment = false;    // a ';' line, kept so that writing back loses no note
  };
  struct Section {
    String name;
    std::vector<Entry> entries;
  };
  virtual void BeforeRead() {}
  virtual void AfterWrite() {}
  // Held from before a change reads the file to after it is written; what
  // it returns lets go when it is dropped. Nothing in memory alone.
  virtual std::shared_ptr<void> WriteLock() { return nullptr; }
  void LoadValues();
  void ParseText(const String& text);
  String BuildText() const;
  Section* FindSection(const String& name);
  Entry* FindEntry(Section* sec, const String& ident);

  std::vector<Section> fSections;
  // Lines before the first section (comments, mostly), written back as read.
  std::vector<String> fLeading;
  // The file exists but the last load could not read it.
  bool fUnreadable = false;
};

class TIniFile : public TMemIniFile {
 public:
  explicit TIniFile(const String& fileName);
  ~TIniFile() override = default;

 protected:
  void BeforeRead() override;
  void AfterWrite() override;
  std::shared_ptr<void> WriteLock() override;

 private:
  void Remember();
  Int64 fStampSize = -1;
  Int64 fStampTime = 0;
};

}  // namespace sk
