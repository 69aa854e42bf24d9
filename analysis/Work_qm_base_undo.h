// The undo and redo stacks a results list owns, and what each recorded action
// holds. Records keep entries by identity (TQMBaseListObject::Identity), never
// by position or address: a sort between an action and its undo misdirects
// nothing, and an entry that is no longer in the list is skipped.
//
// What a record keeps, by action:
//   zap      the entries taken out (owned until they go back or the record
//            is freed)
//   join     the head, then each member followed by the entries it brought
//            with it from its own join list; the stored-list flags before
//   match    each entry with its matched flag before
//   delete   each entry with its deleted flag before
//   edit     the entry, the column and the text the edit replaced
// The per-entry part is 16 bytes; a record never copies the list.
#pragma once

#include <memory>
#include <vector>

#include "analysis/Work_qm_base_entries.h"
#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

class TQMBaseDataClass;

// One entry an action changed.
struct TUndoEntryRec {
  UInt64 identity{};
  // A joined member: how many of the records after it are entries it
  // brought; otherwise 0.
  Int32 n{};
  // The flag before the action (deleted, matched or joined elsewhere); for
  // an entry a member brought, whether the member's join list owned it.
  uint8_t before{};
  uint8_t spare[3]{};
};
static_assert(sizeof(TUndoEntryRec) == 16);

// The entries a zap took out of the list. Owns them unless made by
// CopyOfList.
class TZapHolderList : public TObject {
 public:
  TZapHolderList() = default;
  TZapHolderList(const TZapHolderList&) = delete;
  TZapHolderList& operator=(const TZapHolderList&) = delete;
  // Frees the entries it owns.
  ~TZapHolderList() override;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // EListError outside the list.
  TQMBaseListObject* Items(Int32 i) const;
  void Add(TQMBaseListObject* entry) { fItems.push_back(entry); }
  // A new list with the same entries that owns none of them.
  std::unique_ptr<TZapHolderList> CopyOfList() const;
  // Hands every entry to the caller; the list is left empty.
  std::vector<TQMBaseListObject*> Release();
  bool OwnsEntries() const { return fOwns; }

 private:
  std::vector<TQMBaseListObject*> fItems;
  bool fOwns = true;
};

// One recorded action.
class TUnOrReDoActionHolder : public TObject {
 public:
  TUnOrReDoActionHolder(TUnOrReDoActions action, const TEntryAndColumn& entrycol, TQMBaseListObjectClass entriesClass)
      : fEntriesClass(entriesClass), entrycol(entrycol), action(action) {}
  // The action's name from the message table ("Zap", "Join", "Match",
  // "Delete", "Edit").
  String GetName() const;
  // Bytes held besides the holder itself (entries, texts, zapped slots).
  size_t HeldBytes() const;

  TQMBaseListObjectClass fEntriesClass;
  // The holder owns stored data (every action but an edit).
  bool is_a_class = false;
  // An edit: the row and column at the time of the edit.
  TEntryAndColumn entrycol{};
  TUnOrReDoActions action;
  std::vector<TUndoEntryRec> entries;
  std::unique_ptr<TZapHolderList> zapped;
  // An edit: the text the edit replaced.
  String old_text;
  // A delete or match: the flag the action set (redo sets it again).
  bool flag = true;
  // A join: the stored-list flags before it.
  uint8_t lemmatised_before = 0;
  uint8_t n_texts_checked_before = 0;
};

// Recorded actions, newest at index 0; owns them.
class TMyActionList : public TObject {
 public:
  explicit TMyActionList(TQMBaseListObjectClass entriesClass) : fEntriesClass(entriesClass) {}
  TMyActionList(const TMyActionList&) = delete;
  TMyActionList& operator=(const TMyActionList&) = delete;
  ~TMyActionList() override;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // Index 0 is the newest; EListError outside the list.
  TUnOrReDoActionHolder* Items(Int32 i) const;
  // Frees every holder. Zapped entries that a join list of the owner's
  // entries still holds go to that join list instead of being freed.
  void Clear();
  // The newest action's name, empty when there is none.
  String GetTopActionName() const;
  void InsertAtTop(std::unique_ptr<TUnOrReDoActionHolder> holder) { fItems.push_back(std::move(holder)); }
  std::unique_ptr<TUnOrReDoActionHolder> TakeTop();
  size_t HeldBytes() const;

  TQMBaseListObjectClass fEntriesClass;
  TQMBaseDataClass* fOwner = nullptr;  // not owned

 protected:
  std::vector<std::unique_ptr<TUnOrReDoActionHolder>> fItems;  // newest last
};

class TUndoList : public TObject {
 public:
  explicit TUndoList(TQMBaseListObjectClass entriesClass)
      : fRedoActions(std::make_unique<TMyActionList>(entriesClass)),
        fUndoActions(std::make_unique<TMyActionList>(entriesClass)),
        fEntriesClass(entriesClass) {}

  // The results list whose entries the records name (for the join lists
  // that must keep zapped entries when a record goes).
  void SetOwner(TQMBaseDataClass* owner) {
    fUndoActions->fOwner = owner;
    fRedoActions->fOwner = owner;
  }
  // Each puts a new holder at the top of the undo stack; the redo stack is
  // left as it is.
  void InsertOneEditString(TUnOrReDoActions action, const TEntryAndColumn& entrycol, UInt64 identity,
                           const String& oldText);
  void InsertAHolder(std::unique_ptr<TUnOrReDoActionHolder> holder);
  void InsertAZapHolderList(TUnOrReDoActions action, std::unique_ptr<TZapHolderList> holderList);
  void MoveTopUndoToRedo();
  void MoveTopRedoToUndo();

  std::unique_ptr<TMyActionList> fRedoActions;
  std::unique_ptr<TMyActionList> fUndoActions;
  TQMBaseListObjectClass fEntriesClass;
};

}  // namespace sk
