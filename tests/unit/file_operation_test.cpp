#include "sorting/file_operation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/path_text.h"
#include "platform/utf.h"
#include "sorting/folder_path.h"
#include "sorting/path_compare.h"
#include "sorting/source_match.h"
#include "sorting/temporary_name.h"
#include "tests/unit/fake_paths.h"
#include "tests/unit/fault_injecting_file_system.h"
#include "tests/unit/item_outcome_print.h"
#include "tests/unit/sandbox.h"

// The engine's behaviour, checked on the in-memory fake and on the real disk
// (POSIX natively, Win32 under Wine) alike.

namespace savrin {
namespace {

using Names = std::vector<std::u16string>;

std::vector<ItemOutcome> Outcomes(const std::vector<ItemResult>& results) {
  std::vector<ItemOutcome> outcomes;
  for (const ItemResult& result : results) outcomes.push_back(result.Outcome);
  return outcomes;
}

// Separators as the engine joins them differ from the test's on POSIX.
bool EndsWith(const std::u16string& path, std::u16string_view end) {
  const std::u16string text = ComparablePath(path);
  const std::u16string tail = ComparablePath(end);
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool SamePath(const std::u16string& a, const std::u16string& b) { return ComparablePath(a) == ComparablePath(b); }

bool HasTemporary(const Names& names) {
  for (const std::u16string& name : names) {
    if (IsTemporaryName(name)) return true;
  }
  return false;
}

class FileOperationTest : public ::testing::TestWithParam<SandboxKind> {
 protected:
  void SetUp() override { Fresh(); }

  void Fresh() {
    box = GetParam().make();
    box->MakeFolder(u"in");
    box->MakeFolder(u"out");
  }

  std::vector<ItemResult> Run(SortMethod kind, std::u16string_view source, std::u16string_view destination,
                              bool rename, FileSystem* through = nullptr) {
    const FileOperation operation{kind, box->Path(source), box->Path(destination), rename};
    return PerformFileOperation(through != nullptr ? *through : box->Fs(), operation);
  }

  // A wrapper on which every rename out of "in" reports another volume.
  std::unique_ptr<FaultInjectingFileSystem> OtherVolume() {
    auto faults = std::make_unique<FaultInjectingFileSystem>(box->Fs());
    const std::u16string in = box->Path(u"in");
    auto fromIn = [in](const FsCallRecord& call) { return IsSameOrInside(call.path, in); };
    faults->FailWhen(FsCall::MoveNoReplace, fromIn, Status::Error(StatusCode::CrossDevice));
    faults->FailWhen(FsCall::MoveReplace, fromIn, Status::Error(StatusCode::CrossDevice));
    return faults;
  }

  std::unique_ptr<Sandbox> box;
};

// --- which items an operation takes -------------------------------------

TEST_P(FileOperationTest, WildcardMovesEveryMatchingFileUnderItsOwnName) {
  box->WriteAt(u"in\\a.pdf", "A");
  box->WriteAt(u"in\\b.PDF", "B");
  box->WriteAt(u"in\\c.txt", "C");
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true);
  EXPECT_EQ(Outcomes(results), (std::vector<ItemOutcome>{ItemOutcome::Placed, ItemOutcome::Placed}));
  EXPECT_EQ(box->NamesAt(u"in"), Names{u"c.txt"});
  EXPECT_EQ(box->NamesAt(u"out"), (Names{u"a.pdf", u"b.PDF"}));
  EXPECT_EQ(box->ReadAt(u"out\\a.pdf"), "A");
  EXPECT_EQ(box->ReadAt(u"out\\b.PDF"), "B");
}

TEST_P(FileOperationTest, WildcardCopyLeavesTheSourcesInPlace) {
  box->WriteAt(u"in\\a.pdf", "A");
  box->WriteAt(u"in\\報告書.pdf", "報");
  const auto results = Run(SortMethod::Copy, u"in\\*.pdf", u"out\\", true);
  EXPECT_EQ(results.size(), 2u);
  EXPECT_EQ(box->NamesAt(u"in"), (Names{u"a.pdf", u"報告書.pdf"}));
  EXPECT_EQ(box->NamesAt(u"out"), (Names{u"a.pdf", u"報告書.pdf"}));
  EXPECT_EQ(box->ReadAt(u"out\\報告書.pdf"), "報");
}

TEST_P(FileOperationTest, WildcardNeverTakesFolders) {
  box->MakeFolder(u"in\\scans.pdf");
  box->WriteAt(u"in\\scans.pdf\\1.pdf", "1");
  box->WriteAt(u"in\\a.pdf", "A");
  const auto results = Run(SortMethod::Move, u"in\\*.*", u"out\\", true);
  EXPECT_EQ(results.size(), 1u);
  EXPECT_EQ(box->NamesAt(u"out"), Names{u"a.pdf"});
  EXPECT_EQ(box->ReadAt(u"in\\scans.pdf\\1.pdf"), "1") << "nor anything inside them";
}

TEST_P(FileOperationTest, WildcardLeavesHiddenAndSystemFilesAlone) {
  box->WriteAt(u"in\\note.txt", "N");
  if (box->HasHiddenAttribute()) {
    box->WriteAt(u"in\\desktop.ini", "[.ShellClassInfo]");
    box->WriteAt(u"in\\Thumbs.db", "thumbs");
    box->WriteAt(u"in\\boot.dat", "sys");
    box->SetAttributesAt(u"in\\desktop.ini", FileAttributes{false, true, true});
    box->SetAttributesAt(u"in\\Thumbs.db", FileAttributes{false, true, false});
    box->SetAttributesAt(u"in\\boot.dat", FileAttributes{false, false, true});
  } else {
    box->WriteAt(u"in\\.hidden.txt", "H");
  }
  const auto results = Run(SortMethod::Move, u"in\\*.*", u"out\\", true);
  EXPECT_EQ(results.size(), 1u);
  EXPECT_EQ(box->NamesAt(u"out"), Names{u"note.txt"});
  const Names left = box->HasHiddenAttribute() ? Names{u"Thumbs.db", u"boot.dat", u"desktop.ini"} : Names{u".hidden.txt"};
  EXPECT_EQ(box->NamesAt(u"in"), left);
}

TEST_P(FileOperationTest, APlainNameTakesAHiddenFileTheUserNamed) {
  const std::u16string name = box->HasHiddenAttribute() ? u"desktop.ini" : u".profile";
  box->WriteAt(u"in\\" + name, "named");
  if (box->HasHiddenAttribute()) box->SetAttributesAt(u"in\\" + name, FileAttributes{false, true, true});
  const auto results = Run(SortMethod::Copy, u"in\\" + name, u"out\\", true);
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Placed});
  EXPECT_EQ(box->ReadAt(u"out\\" + name), "named");
  if (box->HasHiddenAttribute()) {
    EXPECT_EQ(box->AttributesAt(u"out\\" + name), (FileAttributes{false, true, true})) << "it stays hidden";
  }
}

TEST_P(FileOperationTest, APlainNameMovesAFolderWithEverythingInIt) {
  box->MakeFolder(u"in\\album");
  box->MakeFolder(u"in\\album\\2005");
  box->WriteAt(u"in\\album\\1.jpg", "one");
  box->WriteAt(u"in\\album\\2005\\2.jpg", "two");
  const auto results = Run(SortMethod::Move, u"in\\album", u"out\\", true);
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Placed});
  EXPECT_EQ(box->NamesAt(u"in"), Names{});
  EXPECT_EQ(box->FilesBelow(u"out\\album"),
            (std::vector<std::pair<std::u16string, std::string>>{{u"1.jpg", "one"}, {u"2005\\2.jpg", "two"}}));
}

TEST_P(FileOperationTest, APlainNameCopiesAFolderWithEverythingInIt) {
  box->MakeFolder(u"in\\album");
  box->MakeFolder(u"in\\album\\empty");
  box->WriteAt(u"in\\album\\1.jpg", "one");
  box->WriteAt(u"in\\album\\.picasa.ini", "hidden inside");
  const auto results = Run(SortMethod::Copy, u"in\\album", u"out\\", true);
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Placed});
  EXPECT_EQ(box->FilesBelow(u"in\\album"), box->FilesBelow(u"out\\album"));
  EXPECT_TRUE(box->IsFolderAt(u"out\\album\\empty"));
  EXPECT_FALSE(HasTemporary(box->NamesAt(u"out")));
}

TEST_P(FileOperationTest, APlainNameGoesToTheNameTheDestinationGives) {
  box->WriteAt(u"in\\report.doc", "R");
  const auto results = Run(SortMethod::Move, u"in\\report.doc", u"out\\report.doc", true);
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Placed});
  EXPECT_EQ(box->ReadAt(u"out\\report.doc"), "R");
  EXPECT_EQ(box->NamesAt(u"in"), Names{});
}

// Where two names differ in case only, the one spelled as typed is meant,
// trailing dots and spaces trimmed as Win32 trims them.
TEST_P(FileOperationTest, APlainNameTakesTheSpellingTyped) {
  if (!box->CaseSensitive()) GTEST_SKIP() << "one name per spelling on this file system";
  box->WriteAt(u"in\\Report.doc", "upper");
  box->WriteAt(u"in\\report.doc", "lower");
  for (const std::u16string condition : {u"report.doc", u"report.doc. "}) {
    const auto results = Run(SortMethod::Copy, u"in\\" + condition, u"out\\report.doc", false);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(box->ReadAt(u"out\\report.doc"), "lower") << EncodeUtf8(condition);
  }
}

TEST_P(FileOperationTest, OurTemporaryFilesNeverMatchARule) {
  box->WriteAt(u"in\\~savrin-0123456789abcdef.tmp", "ours");
  EXPECT_FALSE(AnyEntryMatches(box->Fs(), box->Path(u"in\\*.tmp")));
  EXPECT_FALSE(AnyEntryMatches(box->Fs(), box->Path(u"in\\~savrin-0123456789abcdef.tmp")));
  EXPECT_TRUE(Run(SortMethod::Move, u"in\\*.*", u"out\\", true).empty());
  box->WriteAt(u"in\\~savrin-notes.tmp", "the user's");
  EXPECT_TRUE(AnyEntryMatches(box->Fs(), box->Path(u"in\\*.tmp")));
  EXPECT_EQ(Run(SortMethod::Move, u"in\\*.tmp", u"out\\", true).size(), 1u);
  EXPECT_EQ(box->NamesAt(u"out"), Names{u"~savrin-notes.tmp"});
}

TEST_P(FileOperationTest, AnyEntryMatchesSeesFilesFoldersAndHiddenEntries) {
  box->WriteAt(u"in\\report.doc", "R");
  box->MakeFolder(u"in\\album");
  box->WriteAt(u"in\\.secret", "S");
  if (box->HasHiddenAttribute()) box->SetAttributesAt(u"in\\.secret", FileAttributes{false, true, false});
  const struct {
    std::u16string source;
    bool matches;
  } cases[] = {
      {u"in\\*.doc", true},    {u"in\\REPORT.DOC", true}, {u"in\\album", true},   {u"in\\alb*", true},
      {u"in\\.secret", true},  {u"in\\*.xls", false},     {u"in\\report", false}, {u"missing\\*.*", false},
      {u"in\\", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnyEntryMatches(box->Fs(), box->Path(c.source)), c.matches) << EncodeUtf8(c.source);
  }
}

TEST_P(FileOperationTest, AMissingSourceDoesNothing) {
  EXPECT_TRUE(Run(SortMethod::Move, u"missing\\*.pdf", u"out\\", true).empty());
  EXPECT_TRUE(Run(SortMethod::Move, u"in\\gone.pdf", u"out\\", true).empty());
}

TEST_P(FileOperationTest, OneItemsFailureDoesNotStopTheOthers) {
  box->WriteAt(u"in\\a.pdf", "A");
  box->WriteAt(u"in\\b.pdf", "B");
  FaultInjectingFileSystem faults(box->Fs());
  faults.FailWhen(FsCall::MoveNoReplace, [](const FsCallRecord& call) { return EndsWith(call.path, u"a.pdf"); },
                  Status::Error(StatusCode::AccessDenied));
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true, &faults);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].Outcome, ItemOutcome::Failed);
  EXPECT_EQ(results[0].StepStatus.Code, StatusCode::AccessDenied);
  EXPECT_EQ(results[1].Outcome, ItemOutcome::Placed);
  EXPECT_EQ(box->ReadAt(u"in\\a.pdf"), "A");
  EXPECT_EQ(box->ReadAt(u"out\\b.pdf"), "B");
}

// --- name clashes under Rename ------------------------------------------

struct CollisionCase {
  Names existing;
  std::u16string arriving;
  std::u16string expected;
};

TEST_P(FileOperationTest, ACollisionTakesTheSmallestFreeNumberedName) {
  const CollisionCase cases[] = {
      {{u"report.pdf"}, u"report.pdf", u"report (2).pdf"},
      {{u"report.pdf", u"report (2).pdf"}, u"report.pdf", u"report (3).pdf"},
      {{u"report.pdf", u"report (3).pdf"}, u"report.pdf", u"report (2).pdf"},
      {{u"report.pdf", u"report (2).pdf", u"report (4).pdf"}, u"report.pdf", u"report (3).pdf"},
      {{u"REPORT.PDF"}, u"report.pdf", u"report (2).pdf"},
      {{u"report.pdf", u"REPORT (2).PDF"}, u"report.pdf", u"report (3).pdf"},
      {{u"README"}, u"README", u"README (2)"},
      {{u".profile"}, u".profile", u".profile (2)"},
      {{u"a.tar.gz"}, u"a.tar.gz", u"a.tar (2).gz"},
      {{u"ＲＥＰＯＲＴ.pdf"}, u"ｒｅｐｏｒｔ.pdf", u"ｒｅｐｏｒｔ (2).pdf"},
      {{u"報告書.xls"}, u"報告書.xls", u"報告書 (2).xls"},
      {{}, u"report.pdf", u"report.pdf"},
  };
  for (const SortMethod kind : {SortMethod::Move, SortMethod::Copy}) {
    for (const CollisionCase& c : cases) {
      Fresh();
      const std::string label = EncodeUtf8(c.arriving) + (kind == SortMethod::Move ? " moved" : " copied");
      for (const std::u16string& name : c.existing) box->WriteAt(u"out\\" + name, "old " + EncodeUtf8(name));
      box->WriteAt(u"in\\" + c.arriving, "arriving");
      const auto results = Run(kind, u"in\\" + c.arriving, u"out\\", true);
      ASSERT_EQ(results.size(), 1u) << label;
      EXPECT_EQ(results[0].Outcome, c.existing.empty() ? ItemOutcome::Placed : ItemOutcome::Renamed) << label;
      EXPECT_TRUE(EndsWith(results[0].Target, c.expected)) << label;
      EXPECT_EQ(box->ReadAt(u"out\\" + c.expected), "arriving") << label;
      for (const std::u16string& name : c.existing) {
        EXPECT_EQ(box->ReadAt(u"out\\" + name), "old " + EncodeUtf8(name)) << label;
      }
      EXPECT_EQ(box->NamesAt(u"out").size(), c.existing.size() + 1) << label;
      EXPECT_EQ(box->ExistsAt(u"in\\" + c.arriving), kind == SortMethod::Copy) << label;
    }
  }
}

TEST_P(FileOperationTest, CopyingTwiceGivesASecondNumberedCopy) {
  box->WriteAt(u"in\\a.pdf", "A");
  box->WriteAt(u"out\\a.pdf", "old");
  Run(SortMethod::Copy, u"in\\*.pdf", u"out\\", true);
  Run(SortMethod::Copy, u"in\\*.pdf", u"out\\", true);
  EXPECT_EQ(box->NamesAt(u"out"), (Names{u"a (2).pdf", u"a (3).pdf", u"a.pdf"}));
  EXPECT_EQ(box->ReadAt(u"out\\a.pdf"), "old");
}

TEST_P(FileOperationTest, AFolderCollisionGivesTheWholeNameANumber) {
  box->MakeFolder(u"in\\2005.04");
  box->WriteAt(u"in\\2005.04\\1.jpg", "new");
  box->MakeFolder(u"out\\2005.04");
  box->WriteAt(u"out\\2005.04\\1.jpg", "old");
  const auto results = Run(SortMethod::Move, u"in\\2005.04", u"out\\", true);
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Renamed});
  EXPECT_EQ(box->ReadAt(u"out\\2005.04 (2)\\1.jpg"), "new");
  EXPECT_EQ(box->ReadAt(u"out\\2005.04\\1.jpg"), "old");
}

TEST_P(FileOperationTest, AFileWhereAFolderHasItsNameGetsANumber) {
  box->WriteAt(u"in\\report.pdf", "R");
  box->MakeFolder(u"out\\report.pdf");
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true);
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Renamed});
  EXPECT_EQ(box->ReadAt(u"out\\report (2).pdf"), "R");
  EXPECT_TRUE(box->IsFolderAt(u"out\\report.pdf"));
}

// --- Overwrite -----------------------------------------------------------

TEST_P(FileOperationTest, OverwriteReplacesTheFileThere) {
  for (const SortMethod kind : {SortMethod::Move, SortMethod::Copy}) {
    Fresh();
    box->WriteAt(u"in\\report.pdf", "new");
    box->WriteAt(u"out\\report.pdf", "old, and longer");
    const auto results = Run(kind, u"in\\*.pdf", u"out\\", false);
    EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Replaced});
    EXPECT_EQ(box->NamesAt(u"out"), Names{u"report.pdf"});
    EXPECT_EQ(box->ReadAt(u"out\\report.pdf"), "new");
    EXPECT_EQ(box->ExistsAt(u"in\\report.pdf"), kind == SortMethod::Copy);
  }
}

TEST_P(FileOperationTest, OverwriteReplacesAReadOnlyFileAsTheShellDoes) {
  for (const SortMethod kind : {SortMethod::Move, SortMethod::Copy}) {
    Fresh();
    box->WriteAt(u"in\\report.pdf", "new");
    box->WriteAt(u"out\\report.pdf", "old");
    box->SetAttributesAt(u"out\\report.pdf", FileAttributes{true, false, false});
    const auto results = Run(kind, u"in\\report.pdf", u"out\\", false);
    EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Replaced});
    EXPECT_EQ(box->ReadAt(u"out\\report.pdf"), "new");
  }
}

TEST_P(FileOperationTest, OverwriteReplacesTheCaseVariantThereInsteadOfAddingOne) {
  box->WriteAt(u"in\\report.pdf", "new");
  box->WriteAt(u"out\\REPORT.PDF", "old");
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", false);
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Replaced});
  ASSERT_EQ(box->NamesAt(u"out").size(), 1u);
  EXPECT_EQ(box->ReadAt(u"out\\" + box->NamesAt(u"out")[0]), "new");
}

TEST_P(FileOperationTest, OverwriteNeverPutsAFileInAFoldersPlaceOrTheOtherWayRound) {
  for (const SortMethod kind : {SortMethod::Move, SortMethod::Copy}) {
    Fresh();
    box->WriteAt(u"in\\report.pdf", "R");
    box->MakeFolder(u"out\\report.pdf");
    box->WriteAt(u"out\\report.pdf\\inside.txt", "I");
    box->MakeFolder(u"in\\album");
    box->WriteAt(u"in\\album\\1.jpg", "1");
    box->WriteAt(u"out\\album", "a file called album");
    EXPECT_EQ(Outcomes(Run(kind, u"in\\report.pdf", u"out\\", false)), std::vector<ItemOutcome>{ItemOutcome::Blocked});
    EXPECT_EQ(Outcomes(Run(kind, u"in\\album", u"out\\", false)), std::vector<ItemOutcome>{ItemOutcome::Blocked});
    EXPECT_EQ(box->ReadAt(u"in\\report.pdf"), "R");
    EXPECT_EQ(box->ReadAt(u"out\\report.pdf\\inside.txt"), "I");
    EXPECT_EQ(box->ReadAt(u"in\\album\\1.jpg"), "1");
    EXPECT_EQ(box->ReadAt(u"out\\album"), "a file called album");
    EXPECT_FALSE(HasTemporary(box->NamesAt(u"out")));
  }
}

// Overwrite merges a folder into the folder of its name, as the shell does
// without asking: files of the same name are replaced, the rest arrive, a
// folder inside is merged in turn, and a move takes the emptied source
// folder away. Within a volume and between volumes alike.
TEST_P(FileOperationTest, OverwriteMergesAFolderIntoTheFolderOfItsName) {
  for (const bool otherVolume : {false, true}) {
    for (const SortMethod kind : {SortMethod::Move, SortMethod::Copy}) {
      SCOPED_TRACE(std::string(otherVolume ? "between volumes, " : "within a volume, ") +
                   (kind == SortMethod::Move ? "move" : "copy"));
      Fresh();
      box->MakeFolder(u"in\\album");
      box->WriteAt(u"in\\album\\1.jpg", "new one");
      box->WriteAt(u"in\\album\\2.jpg", "two");
      box->WriteAt(u"in\\album\\desktop.ini", "hidden");
      box->SetAttributesAt(u"in\\album\\desktop.ini", FileAttributes{false, true, false});
      box->MakeFolder(u"in\\album\\raw");
      box->WriteAt(u"in\\album\\raw\\1.cr2", "new raw");
      box->MakeFolder(u"in\\album\\extra");
      box->WriteAt(u"in\\album\\extra\\e.txt", "extra");
      box->MakeFolder(u"out\\album");
      box->WriteAt(u"out\\album\\1.jpg", "old one");
      box->SetAttributesAt(u"out\\album\\1.jpg", FileAttributes{true, false, false});
      box->WriteAt(u"out\\album\\kept.jpg", "kept");
      box->MakeFolder(u"out\\album\\raw");
      box->WriteAt(u"out\\album\\raw\\1.cr2", "old raw");
      box->WriteAt(u"out\\album\\raw\\0.cr2", "zero");
      std::unique_ptr<FaultInjectingFileSystem> other = OtherVolume();

      EXPECT_EQ(Outcomes(Run(kind, u"in\\album", u"out\\", false, otherVolume ? other.get() : nullptr)),
                std::vector<ItemOutcome>{ItemOutcome::Merged});
      EXPECT_EQ(box->ReadAt(u"out\\album\\1.jpg"), "new one");
      EXPECT_EQ(box->ReadAt(u"out\\album\\2.jpg"), "two");
      EXPECT_EQ(box->ReadAt(u"out\\album\\desktop.ini"), "hidden");
      EXPECT_EQ(box->ReadAt(u"out\\album\\kept.jpg"), "kept");
      EXPECT_EQ(box->ReadAt(u"out\\album\\raw\\1.cr2"), "new raw");
      EXPECT_EQ(box->ReadAt(u"out\\album\\raw\\0.cr2"), "zero");
      EXPECT_EQ(box->ReadAt(u"out\\album\\extra\\e.txt"), "extra");
      EXPECT_FALSE(HasTemporary(box->NamesAt(u"out\\album")));
      EXPECT_FALSE(HasTemporary(box->NamesAt(u"out\\album\\raw")));
      if (kind == SortMethod::Move) {
        EXPECT_EQ(box->NamesAt(u"in"), Names{});
      } else {
        EXPECT_EQ(box->ReadAt(u"in\\album\\1.jpg"), "new one");
        EXPECT_EQ(box->ReadAt(u"in\\album\\raw\\1.cr2"), "new raw");
      }
    }
  }
}

// What cannot go in stays where it was, and so does the folder holding it;
// everything else of the merge still arrives.
TEST_P(FileOperationTest, AMergeLeavesWhatCannotGoInWhereItWas) {
  box->MakeFolder(u"in\\album");
  box->WriteAt(u"in\\album\\1.jpg", "one");
  box->WriteAt(u"in\\album\\raw", "a file where a folder is");
  box->MakeFolder(u"out\\album");
  box->MakeFolder(u"out\\album\\raw");
  box->WriteAt(u"out\\album\\raw\\0.cr2", "zero");
  EXPECT_EQ(Outcomes(Run(SortMethod::Move, u"in\\album", u"out\\", false)),
            std::vector<ItemOutcome>{ItemOutcome::Blocked});
  EXPECT_EQ(box->ReadAt(u"out\\album\\1.jpg"), "one");
  EXPECT_FALSE(box->ExistsAt(u"in\\album\\1.jpg"));
  EXPECT_EQ(box->ReadAt(u"in\\album\\raw"), "a file where a folder is");
  EXPECT_EQ(box->ReadAt(u"out\\album\\raw\\0.cr2"), "zero");
}

// --- source and destination the same ------------------------------------

TEST_P(FileOperationTest, AnItemIsNeverMovedOrCopiedOntoItself) {
  const struct {
    SortMethod kind;
    std::u16string source;
    std::u16string destination;
  } cases[] = {
      {SortMethod::Copy, u"in\\*.txt", u"in\\"},        {SortMethod::Move, u"in\\*.txt", u"in\\"},
      {SortMethod::Copy, u"in\\a.txt", u"in\\"},        {SortMethod::Move, u"in\\a.txt", u"in\\"},
      {SortMethod::Copy, u"in\\a.txt", u"in\\a.txt"},   {SortMethod::Move, u"in\\a.txt", u"in\\A.TXT"},
      {SortMethod::Copy, u"in\\*.txt", u"in/"},         {SortMethod::Copy, u"in\\*.txt", u"in\\\\"},
      {SortMethod::Copy, u"in\\*.txt", u"in\\.\\"},     {SortMethod::Copy, u"in\\*.txt", u"out\\..\\in\\"},
      {SortMethod::Copy, u"in\\sub", u"in\\"},          {SortMethod::Move, u"in\\sub", u"in\\"},
  };
  for (const bool rename : {true, false}) {
    for (const auto& c : cases) {
      Fresh();
      box->WriteAt(u"in\\a.txt", "A");
      box->MakeFolder(u"in\\sub");
      const std::string label = EncodeUtf8(c.source) + " -> " + EncodeUtf8(c.destination);
      const auto results = Run(c.kind, c.source, c.destination, rename);
      ASSERT_EQ(results.size(), 1u) << label;
      EXPECT_EQ(results[0].Outcome, ItemOutcome::SameItem) << label;
      EXPECT_EQ(box->NamesAt(u"in"), (Names{u"a.txt", u"sub"})) << label;
      EXPECT_EQ(box->ReadAt(u"in\\a.txt"), "A") << label;
    }
  }
}

TEST_P(FileOperationTest, AFolderIsNeverPutInsideItself) {
  box->MakeFolder(u"in\\album");
  box->WriteAt(u"in\\album\\1.jpg", "1");
  MakeFolderPathExist(box->Fs(), box->Path(u"in\\album\\deeper\\"));
  for (const SortMethod kind : {SortMethod::Move, SortMethod::Copy}) {
    EXPECT_EQ(Outcomes(Run(kind, u"in\\album", u"in\\album\\deeper\\", true)),
              std::vector<ItemOutcome>{ItemOutcome::Blocked});
    EXPECT_EQ(box->NamesAt(u"in\\album"), (Names{u"1.jpg", u"deeper"}));
    EXPECT_EQ(box->NamesAt(u"in\\album\\deeper"), Names{});
  }
}

// --- between volumes -----------------------------------------------------

TEST_P(FileOperationTest, AMoveBetweenVolumesCopiesThenRemovesTheSource) {
  for (const bool rename : {true, false}) {
    Fresh();
    box->WriteAt(u"in\\report.pdf", "report");
    box->WriteAt(u"out\\report.pdf", "old");
    FileInfo before;
    box->Fs().GetInfo(box->Path(u"in\\report.pdf"), before);
    auto faults = OtherVolume();
    const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", rename, faults.get());
    EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{rename ? ItemOutcome::Renamed : ItemOutcome::Replaced});
    EXPECT_EQ(box->NamesAt(u"in"), Names{});
    const std::u16string arrived = rename ? u"out\\report (2).pdf" : u"out\\report.pdf";
    EXPECT_EQ(box->ReadAt(arrived), "report");
    FileInfo after;
    box->Fs().GetInfo(box->Path(arrived), after);
    EXPECT_EQ(after.Modified, before.Modified) << "the copy keeps the modification time";
    EXPECT_EQ(after.Attributes, FileAttributes{}) << "the temporary's hidden attribute is gone";
    EXPECT_FALSE(HasTemporary(box->NamesAt(u"out")));
    EXPECT_GT(faults->CountOf(FsCall::CopyToNewFile), 0);
  }
}

TEST_P(FileOperationTest, AMoveBetweenVolumesTakesAReadOnlySourceAlong) {
  box->WriteAt(u"in\\report.pdf", "report");
  box->SetAttributesAt(u"in\\report.pdf", FileAttributes{true, false, false});
  auto faults = OtherVolume();
  EXPECT_EQ(Outcomes(Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true, faults.get())),
            std::vector<ItemOutcome>{ItemOutcome::Placed});
  EXPECT_EQ(box->NamesAt(u"in"), Names{});
  EXPECT_TRUE(box->AttributesAt(u"out\\report.pdf").ReadOnly);
}

// A batch's copies are flushed together, before any of them is placed; one
// whose flush fails fails alone, and its source stays; the destination
// folder is flushed once for the batch, before any source goes.
TEST_P(FileOperationTest, ABatchIsFlushedTogetherAndAFailedFlushFailsOnlyItsFile) {
  for (const std::u16string name : {u"a", u"b", u"c"}) box->WriteAt(u"in\\" + name + u".pdf", "file");
  auto faults = OtherVolume();
  faults->FailNth(FsCall::FlushCopy, 2, Status::Error(StatusCode::IoError));
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true, faults.get());
  std::multiset<ItemOutcome> outcomes;
  for (const ItemResult& result : results) outcomes.insert(result.Outcome);
  EXPECT_EQ(outcomes, (std::multiset<ItemOutcome>{ItemOutcome::Placed, ItemOutcome::Placed, ItemOutcome::Failed}));
  EXPECT_EQ(box->NamesAt(u"in").size(), 1u);
  EXPECT_EQ(box->NamesAt(u"out").size(), 2u);
  EXPECT_FALSE(HasTemporary(box->NamesAt(u"out")));
  size_t lastFlush = 0;
  size_t firstPlacing = SIZE_MAX;
  size_t folderFlush = SIZE_MAX;
  size_t firstRemoval = SIZE_MAX;
  for (const FsCallRecord& call : faults->Calls()) {
    if (call.kind == FsCall::FlushCopy) lastFlush = call.index;
    if (call.kind == FsCall::MoveNoReplace && IsTemporaryComponent(SplitAtLastSeparator(call.path).Name)) {
      firstPlacing = std::min(firstPlacing, call.index);
    }
    if (call.kind == FsCall::FlushFolder) folderFlush = std::min(folderFlush, call.index);
    if (call.kind == FsCall::RemoveFile && IsSameOrInside(call.path, box->Path(u"in"))) {
      firstRemoval = std::min(firstRemoval, call.index);
    }
  }
  EXPECT_EQ(faults->CountOf(FsCall::FlushCopy), 3);
  EXPECT_LT(lastFlush, firstPlacing);
  EXPECT_EQ(faults->CountOf(FsCall::FlushFolder), 1);
  EXPECT_LT(folderFlush, firstRemoval);
}

TEST_P(FileOperationTest, AFolderMovesBetweenVolumesWhole) {
  box->MakeFolder(u"in\\album");
  box->MakeFolder(u"in\\album\\2005");
  box->WriteAt(u"in\\album\\1.jpg", "one");
  box->WriteAt(u"in\\album\\2005\\2.jpg", "two");
  box->SetAttributesAt(u"in\\album\\1.jpg", FileAttributes{true, false, false});
  box->MakeFolder(u"out\\album");
  const auto expected = box->FilesBelow(u"in\\album");
  auto faults = OtherVolume();
  const auto results = Run(SortMethod::Move, u"in\\album", u"out\\", true, faults.get());
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Renamed});
  EXPECT_EQ(box->NamesAt(u"in"), Names{});
  EXPECT_EQ(box->FilesBelow(u"out\\album (2)"), expected);
  EXPECT_EQ(box->NamesAt(u"out"), (Names{u"album", u"album (2)"}));
}

TEST_P(FileOperationTest, AMoveWhoseSourceCannotBeRemovedDoesNotHappen) {
  box->WriteAt(u"in\\report.pdf", "report");
  auto faults = OtherVolume();
  const std::u16string source = box->Path(u"in\\report.pdf");
  faults->FailWhen(FsCall::RemoveFile, [source](const FsCallRecord& call) { return SamePath(call.path, source); },
                   Status::Error(StatusCode::AccessDenied));
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true, faults.get());
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Failed});
  EXPECT_EQ(box->ReadAt(u"in\\report.pdf"), "report");
  EXPECT_EQ(box->NamesAt(u"out"), Names{}) << "the copy is taken back";
}

TEST_P(FileOperationTest, AnOverwritingMoveWhoseSourceCannotBeRemovedKeepsTheNewCopy) {
  box->WriteAt(u"in\\report.pdf", "report");
  box->WriteAt(u"out\\report.pdf", "old");
  auto faults = OtherVolume();
  const std::u16string source = box->Path(u"in\\report.pdf");
  faults->FailWhen(FsCall::RemoveFile, [source](const FsCallRecord& call) { return SamePath(call.path, source); },
                   Status::Error(StatusCode::AccessDenied));
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", false, faults.get());
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::SourceKept});
  EXPECT_EQ(box->ReadAt(u"in\\report.pdf"), "report");
  EXPECT_EQ(box->ReadAt(u"out\\report.pdf"), "report");
  EXPECT_EQ(box->NamesAt(u"out"), Names{u"report.pdf"});
}

TEST_P(FileOperationTest, ASourceWrittenToWhileItIsCopiedStays) {
  for (const SortMethod kind : {SortMethod::Move, SortMethod::Copy}) {
    Fresh();
    box->WriteAt(u"in\\report.pdf", "first version");
    auto faults = OtherVolume();
    Sandbox* sandbox = box.get();
    bool copied = false;
    faults->SetHook([&copied, sandbox](const FsCallRecord& call) {
      if (call.kind == FsCall::CopyToNewFile) copied = true;
      if (copied && call.kind == FsCall::GetInfo && EndsWith(call.path, u"in\\report.pdf")) {
        sandbox->WriteAt(u"in\\report.pdf", "second, longer version");
        copied = false;
      }
    });
    const auto results = Run(kind, u"in\\*.pdf", u"out\\", true, faults.get());
    EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::SourceChanged});
    EXPECT_EQ(box->ReadAt(u"in\\report.pdf"), "second, longer version");
    EXPECT_EQ(box->NamesAt(u"out"), Names{});
  }
}

TEST_P(FileOperationTest, ACopyThatComesOutShortIsDropped) {
  for (const SortMethod kind : {SortMethod::Move, SortMethod::Copy}) {
    Fresh();
    box->WriteAt(u"in\\report.pdf", "the whole report");
    auto faults = OtherVolume();
    Sandbox* sandbox = box.get();
    // A network share that loses the end of a file without saying so.
    faults->ReplaceNth(FsCall::CopyToNewFile, 1, [sandbox](const FsCallRecord& call) {
      sandbox->Write(call.otherPath, "the whole");
      return Status::Ok();
    });
    const auto results = Run(kind, u"in\\*.pdf", u"out\\", true, faults.get());
    EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Failed});
    EXPECT_EQ(box->ReadAt(u"in\\report.pdf"), "the whole report");
    EXPECT_EQ(box->NamesAt(u"out"), Names{});
  }
}

TEST_P(FileOperationTest, ASourceWrittenToAfterItsCopyArrivedStays) {
  box->WriteAt(u"in\\report.pdf", "first version");
  auto faults = OtherVolume();
  Sandbox* sandbox = box.get();
  faults->SetHook([sandbox](const FsCallRecord& call) {
    if (call.kind == FsCall::FlushFolder) sandbox->WriteAt(u"in\\report.pdf", "second, longer version");
  });
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true, faults.get());
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::SourceChanged});
  EXPECT_EQ(box->ReadAt(u"in\\report.pdf"), "second, longer version");
  EXPECT_EQ(box->NamesAt(u"out"), Names{}) << "the copy of the first version is taken back";
}

TEST_P(FileOperationTest, AFolderMoveLeavesBehindWhatChangedAfterItWasCopied) {
  box->MakeFolder(u"in\\album");
  box->MakeFolder(u"in\\album\\2005");
  box->WriteAt(u"in\\album\\1.jpg", "one");
  box->WriteAt(u"in\\album\\2005\\2.jpg", "two");
  auto faults = OtherVolume();
  Sandbox* sandbox = box.get();
  bool placed = false;
  faults->SetHook([sandbox, &placed](const FsCallRecord& call) {
    placed = placed || (call.kind == FsCall::MoveNoReplace && IsTemporaryName(SplitAtLastSeparator(call.path).Name));
    if (placed && call.kind == FsCall::FlushFolder) sandbox->WriteAt(u"in\\album\\2005\\2.jpg", "two, edited since");
  });
  const auto results = Run(SortMethod::Move, u"in\\album", u"out\\", true, faults.get());
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::SourceKept});
  EXPECT_EQ(box->ReadAt(u"in\\album\\2005\\2.jpg"), "two, edited since");
  EXPECT_FALSE(box->ExistsAt(u"in\\album\\1.jpg"));
  EXPECT_EQ(box->ReadAt(u"out\\album\\1.jpg"), "one");
  EXPECT_EQ(box->ReadAt(u"out\\album\\2005\\2.jpg"), "two");
}

TEST_P(FileOperationTest, TheSourceGoesOnlyOnceItsCopyIsInPlaceAndOnDisk) {
  box->WriteAt(u"in\\report.pdf", "report");
  auto faults = OtherVolume();
  Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true, faults.get());
  const std::u16string source = box->Path(u"in\\report.pdf");
  const std::u16string target = box->Path(u"out\\report.pdf");
  std::vector<std::string> steps;
  for (const FsCallRecord& call : faults->Calls()) {
    if (call.kind == FsCall::CopyToNewFile) steps.push_back("copy");
    if (call.kind == FsCall::MoveNoReplace && SamePath(call.otherPath, target) &&
        IsTemporaryName(SplitAtLastSeparator(call.path).Name)) {
      steps.push_back("place");
    }
    if (call.kind == FsCall::FlushFolder) steps.push_back("flush");
    if (call.kind == FsCall::RemoveFile && SamePath(call.path, source)) steps.push_back("remove source");
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"copy", "place", "flush", "remove source"}));
}

TEST_P(FileOperationTest, LeftoverTemporariesAreClearedBeforeWorkingInAFolder) {
  box->WriteAt(u"out\\~savrin-00000000000000aa.part", "half a copy");
  box->MakeFolder(u"out\\~savrin-00000000000000bb.part");
  box->MakeFolder(u"out\\~savrin-00000000000000bb.part\\sub");
  box->WriteAt(u"out\\~savrin-00000000000000bb.part\\sub\\x.jpg", "half a tree");
  box->SetAttributesAt(u"out\\~savrin-00000000000000bb.part\\sub\\x.jpg", FileAttributes{true, false, false});
  box->WriteAt(u"out\\~savrin-notes.part", "the user's");
  // The earlier naming may hold the only copy of a moved file: it stays.
  box->WriteAt(u"out\\~savrin-00000000000000cc.tmp", "maybe the only copy");
  box->WriteAt(u"in\\a.pdf", "A");
  Run(SortMethod::Copy, u"in\\*.pdf", u"out\\", true);
  EXPECT_EQ(box->NamesAt(u"out"), (Names{u"a.pdf", u"~savrin-00000000000000cc.tmp", u"~savrin-notes.part"}));
  EXPECT_EQ(box->ReadAt(u"out\\~savrin-00000000000000cc.tmp"), "maybe the only copy");
}

TEST_P(FileOperationTest, ATemporaryStillHeldOpenIsLeftToItsOwner) {
  box->WriteAt(u"out\\~savrin-00000000000000aa.part", "being written");
  std::shared_ptr<void> held = box->HoldOpen(box->Path(u"out\\~savrin-00000000000000aa.part"));
  if (!held) GTEST_SKIP() << "no sharing modes here";
  box->WriteAt(u"in\\a.pdf", "A");
  Run(SortMethod::Copy, u"in\\*.pdf", u"out\\", true);
  EXPECT_EQ(box->NamesAt(u"out"), (Names{u"a.pdf", u"~savrin-00000000000000aa.part"}));
}

// --- another engine on the same folders, and volumes that cannot flush ---

TEST_P(FileOperationTest, ACopyWhoseSourceAnotherRunMovedMeanwhileStays) {
  box->WriteAt(u"in\\report.pdf", "report");
  auto faults = OtherVolume();
  FileSystem& disk = box->Fs();
  const std::u16string source = box->Path(u"in\\report.pdf");
  faults->SetHook([&disk, source](const FsCallRecord& call) {
    if (call.kind == FsCall::FlushFolder) disk.RemoveFile(source);
  });
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true, faults.get());
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Placed});
  EXPECT_EQ(box->ReadAt(u"out\\report.pdf"), "report") << "the only copy left";
}

TEST_P(FileOperationTest, OnlyItsOwnCopyIsTakenBackNotAnotherRunsOfTheSameFile) {
  box->WriteAt(u"in\\report.pdf", "report");
  auto faults = OtherVolume();
  FileSystem& disk = box->Fs();
  const std::u16string source = box->Path(u"in\\report.pdf");
  const std::u16string theirs = box->Path(u"out\\theirs.part");
  const std::u16string placed = box->Path(u"out\\report.pdf");
  Sandbox* sandbox = box.get();
  bool done = false;
  // Another run replaces our placed copy with its own of the same file (same
  // size, same time), then the source is written to: ours must not remove theirs.
  faults->SetHook([&](const FsCallRecord& call) {
    if (call.kind != FsCall::FlushFolder || done) return;
    done = true;
    disk.CopyToNewFile(source, theirs, {}, nullptr);
    disk.MoveReplace(theirs, placed);
    sandbox->WriteAt(u"in\\report.pdf", "report, edited");
  });
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", false, faults.get());
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::SourceKept});
  EXPECT_EQ(box->ReadAt(u"out\\report.pdf"), "report");
  EXPECT_EQ(box->ReadAt(u"in\\report.pdf"), "report, edited");
}

TEST_P(FileOperationTest, AFolderMoveRemovesNoSourceWhoseCopyWentMissing) {
  box->MakeFolder(u"in\\album");
  box->WriteAt(u"in\\album\\1.jpg", "one");
  box->WriteAt(u"in\\album\\2.jpg", "two");
  auto faults = OtherVolume();
  FileSystem& disk = box->Fs();
  std::u16string firstCopy;
  // As another run's clean-up would, where it cannot see that the folder is being filled.
  faults->SetHook([&](const FsCallRecord& call) {
    if (call.kind != FsCall::CopyToNewFile) return;
    if (firstCopy.empty()) {
      firstCopy = call.otherPath;
    } else {
      disk.RemoveFile(firstCopy);
    }
  });
  Run(SortMethod::Move, u"in\\album", u"out\\", true, faults.get());
  for (const auto& [name, content] : {std::pair{u"1.jpg", "one"}, std::pair{u"2.jpg", "two"}}) {
    EXPECT_TRUE(box->ReadAt(std::u16string(u"in\\album\\") + name) == content ||
                box->ReadAt(std::u16string(u"out\\album\\") + name) == content)
        << content << " is lost";
  }
}

// Nothing there ever says the copy's name is on the disk: the next pass
// knows the copy and neither copies again nor removes the source.
TEST_P(FileOperationTest, WhereAFolderCannotBeFlushedAMoveCopiesOnceAndKeepsItsSource) {
  box->WriteAt(u"in\\a.pdf", "A");
  box->WriteAt(u"in\\b.pdf", "B");
  box->WriteAt(u"out\\a.pdf", "an older A");
  auto share = [this] {
    auto faults = OtherVolume();
    faults->FailWhen(FsCall::FlushFolder, [](const FsCallRecord&) { return true; },
                     Status::Error(StatusCode::Unsupported));
    return faults;
  };
  auto first = share();
  EXPECT_EQ(Outcomes(Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true, first.get())),
            (std::vector<ItemOutcome>{ItemOutcome::SourceKept, ItemOutcome::SourceKept}));
  EXPECT_EQ(box->NamesAt(u"in"), (Names{u"a.pdf", u"b.pdf"}));
  EXPECT_EQ(box->ReadAt(u"out\\a (2).pdf"), "A");

  auto second = share();
  const auto results = Run(SortMethod::Move, u"in\\*.pdf", u"out\\", true, second.get());
  EXPECT_EQ(Outcomes(results), (std::vector<ItemOutcome>{ItemOutcome::SourceKept, ItemOutcome::SourceKept}));
  EXPECT_EQ(box->NamesAt(u"in"), (Names{u"a.pdf", u"b.pdf"}));
  EXPECT_EQ(box->NamesAt(u"out"), (Names{u"a (2).pdf", u"a.pdf", u"b.pdf"}));
  EXPECT_EQ(box->ReadAt(u"out\\a.pdf"), "an older A");
  EXPECT_EQ(second->CountOf(FsCall::CopyToNewFile), 0) << "nothing is copied twice";
}

// Nor copied: a copy that came back from a power cut in part would be in
// sight with files missing.
TEST_P(FileOperationTest, AFolderIsNeitherMovedNorCopiedOntoAVolumeThatCannotFlushAFolder) {
  box->MakeFolder(u"in\\album");
  box->WriteAt(u"in\\album\\1.jpg", "one");
  for (const SortMethod kind : {SortMethod::Move, SortMethod::Copy}) {
    auto faults = OtherVolume();
    faults->FailWhen(FsCall::FlushFolder, [](const FsCallRecord&) { return true; },
                     Status::Error(StatusCode::Unsupported));
    const auto results = Run(kind, u"in\\album", u"out\\", true, faults.get());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].Outcome, ItemOutcome::Failed);
    EXPECT_EQ(results[0].StepStatus.Code, StatusCode::Unsupported);
    EXPECT_EQ(box->ReadAt(u"in\\album\\1.jpg"), "one");
  }
  EXPECT_EQ(box->NamesAt(u"out"), Names{});
}

// --- races and the bound of attempts ------------------------------------

TEST_P(FileOperationTest, AFileAppearingAtTheChosenNameIsNeverOverwritten) {
  const struct {
    const char* label;
    SortMethod kind;
    bool otherVolume;
  } ways[] = {{"move", SortMethod::Move, false}, {"copy", SortMethod::Copy, false}, {"move between volumes", SortMethod::Move, true}};
  for (const auto& way : ways) {
    for (const bool numbered : {false, true}) {
      Fresh();
      box->WriteAt(u"in\\report.pdf", "arriving");
      if (numbered) box->WriteAt(u"out\\report.pdf", "old");
      const std::u16string chosen = numbered ? u"report (2).pdf" : u"report.pdf";
      auto faults = way.otherVolume ? OtherVolume() : std::make_unique<FaultInjectingFileSystem>(box->Fs());
      Sandbox* sandbox = box.get();
      faults->SetHook([sandbox, chosen](const FsCallRecord& call) {
        if (call.kind == FsCall::MoveNoReplace && EndsWith(call.otherPath, chosen) && !sandbox->ExistsAt(u"out\\" + chosen)) {
          sandbox->WriteAt(u"out\\" + chosen, "racer");
        }
      });
      const auto results = Run(way.kind, u"in\\report.pdf", u"out\\", true, faults.get());
      const std::u16string next = numbered ? u"report (3).pdf" : u"report (2).pdf";
      EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::Renamed}) << way.label;
      EXPECT_EQ(box->ReadAt(u"out\\" + chosen), "racer") << way.label;
      EXPECT_EQ(box->ReadAt(u"out\\" + next), "arriving") << way.label;
      if (numbered) {
        EXPECT_EQ(box->ReadAt(u"out\\report.pdf"), "old") << way.label;
      }
      EXPECT_FALSE(HasTemporary(box->NamesAt(u"out"))) << way.label;
    }
  }
}

TEST_P(FileOperationTest, PastTheBoundOfAttemptsTheItemStaysWhereItWas) {
  for (const SortMethod kind : {SortMethod::Move, SortMethod::Copy}) {
    Fresh();
    box->WriteAt(u"in\\report.pdf", "arriving");
    FaultInjectingFileSystem faults(box->Fs());
    const std::u16string out = box->Path(u"out");
    faults.FailWhen(FsCall::MoveNoReplace,
                    [out](const FsCallRecord& call) { return IsSameOrInside(call.otherPath, out); },
                    Status::Error(StatusCode::Exists));
    const auto results = Run(kind, u"in\\report.pdf", u"out\\", true, &faults);
    EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::NoFreeName});
    EXPECT_EQ(faults.CountOf(FsCall::MoveNoReplace), static_cast<int>(kMaxNameAttempts));
    EXPECT_EQ(faults.CountOf(FsCall::MoveReplace), 0) << "never falls back to overwriting";
    EXPECT_EQ(box->ReadAt(u"in\\report.pdf"), "arriving");
    EXPECT_EQ(box->NamesAt(u"out"), Names{});
  }
}

// --- files held open by another program ---------------------------------

TEST_P(FileOperationTest, AFileHeldOpenIsLeftForALaterPass) {
  const struct {
    SortMethod kind;
    bool otherVolume;
  } ways[] = {{SortMethod::Move, false}, {SortMethod::Move, true}, {SortMethod::Copy, false}};
  for (const auto& way : ways) {
    Fresh();
    box->WriteAt(u"in\\a.pdf", "being written");
    box->WriteAt(u"in\\b.pdf", "B");
    std::shared_ptr<void> held = box->HoldOpen(box->Path(u"in\\a.pdf"));
    if (!held) GTEST_SKIP() << "no sharing modes here";
    auto faults = way.otherVolume ? OtherVolume() : std::make_unique<FaultInjectingFileSystem>(box->Fs());
    const auto results = Run(way.kind, u"in\\*.pdf", u"out\\", true, faults.get());
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].Outcome, ItemOutcome::InUse);
    EXPECT_EQ(results[1].Outcome, ItemOutcome::Placed);
    EXPECT_EQ(box->NamesAt(u"out"), Names{u"b.pdf"});
    held.reset();
    EXPECT_EQ(box->ReadAt(u"in\\a.pdf"), "being written");
    Run(way.kind, u"in\\a.pdf", u"out\\", true);
    EXPECT_EQ(box->ReadAt(u"out\\a.pdf"), "being written") << "the next pass takes it";
  }
}

TEST_P(FileOperationTest, AFolderHoldingAFileHeldOpenIsNotMovedBetweenVolumes) {
  box->MakeFolder(u"in\\album");
  box->WriteAt(u"in\\album\\1.jpg", "one");
  box->WriteAt(u"in\\album\\2.jpg", "being written");
  std::shared_ptr<void> held = box->HoldOpen(box->Path(u"in\\album\\2.jpg"));
  if (!held) GTEST_SKIP() << "no sharing modes here";
  auto faults = OtherVolume();
  const auto results = Run(SortMethod::Move, u"in\\album", u"out\\", true, faults.get());
  EXPECT_EQ(Outcomes(results), std::vector<ItemOutcome>{ItemOutcome::InUse});
  EXPECT_EQ(box->NamesAt(u"in\\album"), (Names{u"1.jpg", u"2.jpg"}));
  EXPECT_EQ(box->NamesAt(u"out"), Names{});
}

TEST_P(FileOperationTest, MakeFolderPathExistCreatesEveryMissingLevel) {
  EXPECT_TRUE(MakeFolderPathExist(box->Fs(), box->Path(u"out\\2005\\04\\日本語\\")).IsOk());
  EXPECT_TRUE(box->IsFolderAt(u"out\\2005\\04\\日本語"));
  EXPECT_TRUE(MakeFolderPathExist(box->Fs(), box->Path(u"new\\deeper\\report.doc")).IsOk());
  EXPECT_TRUE(box->IsFolderAt(u"new\\deeper"));
  EXPECT_FALSE(box->ExistsAt(u"new\\deeper\\report.doc"));
  box->WriteAt(u"blocker", "a file");
  EXPECT_FALSE(MakeFolderPathExist(box->Fs(), box->Path(u"blocker\\sub\\")).IsOk());
  EXPECT_EQ(box->ReadAt(u"blocker"), "a file");
}

INSTANTIATE_TEST_SUITE_P(, FileOperationTest, ::testing::ValuesIn(AllSandboxKinds()),
                         [](const ::testing::TestParamInfo<SandboxKind>& kind) { return kind.param.name; });

}  // namespace
}  // namespace savrin
