#include "core/SelectedItem.h"

#include <cstring>

bool SetEntryName(TFileRecord& entry, TstateOfBrowser& list, const char* name) {
  if (!list.Names || !name) return false;
  uint32_t offset = list.Names->Add(name);
  if (offset == TTextStorage::NoOffset) return false;
  entry.NameOffset = offset;
  entry.NameLength = uint32_t(strlen(name));
  entry.ExtOffset = ExtOffsetOf(name, offset, entry.NameLength,
                                (entry.Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  return true;
}

bool ApplyItemUpdate(const TItemUpdate& update, TFileRecord& entry, TstateOfBrowser& list) {
  if (update.Flags & iuUnselect) entry.Flags &= ~PaneMark(list);
  entry.GroupNumber = update.Flags & iuStatusMask;
  if (!(list.ModeFlags & ModeBasketView)) return false;
  if (update.Flags & iuAttributes) entry.Attributes = update.Attributes;
  if (update.Flags & iuSize) entry.Size = update.Size;
  if (update.Flags & iuLastWriteTime) entry.LastWriteTime = update.LastWriteTime;
  if (update.Flags & iuRename) SetEntryName(entry, list, update.NewName);
  if (!(update.Flags & iuRemove)) return false;
  entry.Flags |= FileRemove;
  return true;
}
