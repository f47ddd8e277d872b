#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/case_fold.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "sorting/file_operation.h"
#include "sorting/path_compare.h"
#include "tests/unit/fake_paths.h"
#include "tests/unit/power_cut_file_system.h"

// The power goes after any change the engine makes to the disk, and the disk
// comes back with only what was durable (and, of the rest, whatever the file
// system happened to keep). In every state that may come back, and again
// after the following passes have run on it: every file that was there is
// whole at its source or at its destination, no name a user sees holds a
// torn or zero-filled file, and in the end each file is exactly once where
// its rule puts it (a copy: at both places) or still where it was, with no
// temporary left behind.

namespace savrin {
namespace {

struct Rule {
  SortMethod kind;
  bool rename;
  std::u16string source;       // as the rule joins it: folder + "\" + condition
  std::u16string destination;  // folder + "\"
};

struct PowerCutScenario {
  const char* name;
  void (*setup)(PowerCutFileSystem&);
  std::vector<Rule> rules;
  // One pass runs before the power can go, as if a minute earlier: what it
  // did is on the disk. The cut lands in the pass after it.
  bool passBeforeTheCut = false;
};

const Rule kMovePdfToD{SortMethod::Move, true, u"C:\\in\\*.pdf", u"D:\\out\\"};

void Volumes(PowerCutFileSystem& fs) {
  fs.AddVolume(u"D:\\");
  fs.MakeFolders(u"C:\\in");
  fs.MakeFolders(u"C:\\out");
  fs.MakeFolders(u"D:\\out");
}

void FileNameTaken(PowerCutFileSystem& fs) {
  Volumes(fs);
  fs.WriteFile(u"C:\\in\\report.pdf", "the new report");
  fs.WriteFile(u"C:\\out\\report.pdf", "the old report");
  fs.WriteFile(u"D:\\out\\report.pdf", "the old report on D");
}

void ReadOnlyFilesOnBothSides(PowerCutFileSystem& fs) {
  Volumes(fs);
  const FileAttributes readOnly{true, false, false};
  fs.WriteFile(u"C:\\in\\report.pdf", "the new report", readOnly);
  fs.WriteFile(u"C:\\out\\report.pdf", "the old report", readOnly);
  fs.WriteFile(u"D:\\out\\report.pdf", "the old report on D", readOnly);
}

void Album(PowerCutFileSystem& fs) {
  Volumes(fs);
  fs.MakeFolders(u"C:\\in\\album\\2005");
  fs.MakeFolders(u"C:\\in\\album\\empty");
  fs.WriteFile(u"C:\\in\\album\\1.jpg", "photo one", FileAttributes{true, false, false});
  fs.WriteFile(u"C:\\in\\album\\2005\\2.jpg", "photo two");
  fs.WriteFile(u"C:\\in\\album\\2005\\3.jpg", "photo three");
  fs.MakeFolders(u"D:\\out\\album");
  fs.WriteFile(u"D:\\out\\album\\1.jpg", "an older photo");
  fs.MakeFolders(u"C:\\out\\album");
  fs.WriteFile(u"C:\\out\\album\\1.jpg", "an older photo on C");
}

void SeveralFiles(PowerCutFileSystem& fs) {
  Volumes(fs);
  fs.WriteFile(u"C:\\in\\a.pdf", "first file");
  fs.WriteFile(u"C:\\in\\b.pdf", "second file");
  fs.WriteFile(u"C:\\in\\c.pdf", "third file");
  fs.WriteFile(u"C:\\out\\a.pdf", "an older first file");
  fs.WriteFile(u"D:\\out\\a.pdf", "an older first file on D");
}

void SeveralCollisions(PowerCutFileSystem& fs) {
  Volumes(fs);
  fs.WriteFile(u"C:\\in\\a.pdf", "the arriving a");
  fs.WriteFile(u"D:\\out\\a.pdf", "a one");
  fs.WriteFile(u"D:\\out\\a (2).pdf", "a two");
  fs.WriteFile(u"D:\\out\\a (3).pdf", "a three");
  fs.WriteFile(u"D:\\out\\a (5).pdf", "a five");
}

void PdfsAndTexts(PowerCutFileSystem& fs) {
  Volumes(fs);
  fs.MakeFolders(u"D:\\copies");
  fs.WriteFile(u"C:\\in\\a.pdf", "a pdf");
  fs.WriteFile(u"C:\\in\\b.pdf", "another pdf");
  fs.WriteFile(u"C:\\in\\notes.txt", "some notes");
  fs.WriteFile(u"D:\\copies\\notes.txt", "older notes");
}

// What an installed engine of the earlier kind leaves on a share: the
// placed name was lost with the power, the source had already gone.
void LeftoverOfTheEarlierNaming(PowerCutFileSystem& fs) {
  Volumes(fs);
  fs.WriteFile(u"C:\\in\\a.pdf", "a pdf");
  fs.WriteFile(u"D:\\out\\~savrin-0123456789abcdef.tmp", "the only copy of a lost move",
               FileAttributes{false, true, false});
}

// Links with temporaries' names, made by someone else, lead to files of theirs.
void LinkNamedLikeATemporary(PowerCutFileSystem& fs) {
  Volumes(fs);
  fs.MakeFolders(u"C:\\keep\\inner");
  fs.WriteFile(u"C:\\keep\\one.txt", "kept one");
  fs.WriteFile(u"C:\\keep\\inner\\two.txt", "kept two");
  fs.MakeFolderLink(u"D:\\out\\~savrin-fedcba9876543210.tmp", u"C:\\keep");
  fs.MakeFolderLink(u"D:\\out\\~savrin-fedcba9876543210.part", u"C:\\keep");
  fs.WriteFile(u"C:\\in\\a.pdf", "a pdf");
}

const PowerCutScenario kScenarios[] = {
    {"CopyOntoATakenName", &FileNameTaken, {{SortMethod::Copy, true, u"C:\\in\\report.pdf", u"C:\\out\\"}}},
    {"CopyOverAReadOnlyFile", &ReadOnlyFilesOnBothSides, {{SortMethod::Copy, false, u"C:\\in\\*.pdf", u"C:\\out\\"}}},
    {"CopyOverAFileOnAnotherVolume", &FileNameTaken,
     {{SortMethod::Copy, false, u"C:\\in\\report.pdf", u"D:\\out\\"}}},
    {"MoveBetweenVolumesOntoATakenName", &ReadOnlyFilesOnBothSides, {kMovePdfToD}},
    {"MoveBetweenVolumesOverAFile", &FileNameTaken,
     {{SortMethod::Move, false, u"C:\\in\\report.pdf", u"D:\\out\\"}}},
    {"MoveAFolderBetweenVolumes", &Album, {{SortMethod::Move, true, u"C:\\in\\album", u"D:\\out\\"}}},
    {"CopyAFolder", &Album, {{SortMethod::Copy, true, u"C:\\in\\album", u"C:\\out\\"}}},
    {"MergeAFolderIntoItsNamesakeOnAnotherVolume", &Album,
     {{SortMethod::Move, false, u"C:\\in\\album", u"D:\\out\\"}}},
    {"MoveSeveralFilesBetweenVolumes", &SeveralFiles, {kMovePdfToD}},
    {"MoveSeveralFilesWithinAVolume", &SeveralFiles, {{SortMethod::Move, true, u"C:\\in\\*.pdf", u"C:\\out\\"}}},
    {"MoveSeveralFilesOverwriting", &SeveralFiles, {{SortMethod::Move, false, u"C:\\in\\*.pdf", u"C:\\out\\"}}},
    {"RenameWithSeveralCollisions", &SeveralCollisions, {kMovePdfToD}},
    {"TwoRulesInOnePass", &PdfsAndTexts,
     {kMovePdfToD, {SortMethod::Copy, true, u"C:\\in\\*.txt", u"D:\\copies\\"}}},
    {"AMoveFinishedByTheNextPass", &SeveralFiles, {kMovePdfToD}, true},
    {"LeftoverOfTheEarlierNaming", &LeftoverOfTheEarlierNaming, {kMovePdfToD}},
    {"LinkNamedLikeATemporary", &LinkNamedLikeATemporary, {kMovePdfToD}},
};

struct FileAt {
  std::u16string path;  // full path
  std::string content;
  bool visible;  // not a temporary and not inside one
};

// Every file below `top`; a link is looked into only when `followLinks`.
std::vector<FileAt> FilesBelow(PowerCutFileSystem& fs, const std::u16string& top, bool followLinks = false) {
  std::vector<FileAt> files;
  std::vector<std::u16string> folders{u""};
  for (size_t next = 0; next < folders.size(); ++next) {
    const std::u16string inside = folders[next];
    std::vector<FileInfo> entries;
    fs.ListFolder(inside.empty() ? top : JoinPath(top, inside), entries);
    for (const FileInfo& entry : entries) {
      const std::u16string relative = inside.empty() ? entry.Name : JoinPath(inside, entry.Name);
      if (entry.IsFolder) {
        if (!entry.IsLink || followLinks) folders.push_back(relative);
        continue;
      }
      files.push_back({JoinPath(top, relative), fs.ReadFile(JoinPath(top, relative)).value_or("<unreadable>"),
                       !UnderTemporary(relative)});
    }
  }
  return files;
}

struct Expectations {
  struct Arriving {
    std::u16string path;
    std::string content;
    const Rule* rule;
  };
  std::vector<Arriving> arriving;                                // what the rules take
  std::vector<std::pair<std::u16string, std::string>> waiting;   // what was at the destinations
  std::vector<std::pair<std::u16string, std::string>> untouchable;  // what no rule may touch
  std::set<std::string> known;                                   // every content there was
  std::vector<std::u16string> sources;
  std::vector<std::u16string> destinations;
  std::vector<std::string> leftovers;  // contents that only a temporary held
};

bool Takes(const Rule& rule, const std::u16string& path) {
  const PathSplit split = SplitAtLastSeparator(rule.source);
  if (split.Name.front() == u'*') {
    const std::u16string extension = split.Name.substr(1);
    return SplitAtLastSeparator(path).Folder == split.Folder && path.size() > extension.size() &&
           EqualsIgnoringCase(std::u16string_view(path).substr(path.size() - extension.size()), extension);
  }
  return EqualsIgnoringCase(path, rule.source) || IsSameOrInside(path, rule.source);
}

std::string Dump(const DiskImage& image, const Expectations& expected) {
  PowerCutFileSystem fs(Persistence::OrderedMetadata, image);
  std::vector<std::u16string> folders = expected.sources;
  folders.insert(folders.end(), expected.destinations.begin(), expected.destinations.end());
  std::string text;
  for (const std::u16string& folder : folders) {
    for (const FileAt& file : FilesBelow(fs, folder)) {
      text += "  " + EncodeUtf8(file.path) + ": \"" + file.content + "\"\n";
    }
  }
  return text;
}

class PowerCutTest : public ::testing::TestWithParam<std::tuple<Persistence, PowerCutScenario>> {
 protected:
  Persistence persistence() const { return std::get<0>(GetParam()); }
  const PowerCutScenario& scenario() const { return std::get<1>(GetParam()); }

  static uint64_t Seed() {
    const char* given = std::getenv("SAVRIN_POWER_CUT_SEED");
    return given != nullptr ? std::strtoull(given, nullptr, 10) : 20261209;
  }

  void RunPass(PowerCutFileSystem& fs) const {
    for (const Rule& rule : scenario().rules) {
      PerformFileOperation(fs, {rule.kind, rule.source, rule.destination, rule.rename});
    }
  }

  Expectations Expect(PowerCutFileSystem& fs) const {
    Expectations expected;
    for (const Rule& rule : scenario().rules) {
      const std::u16string source = SplitAtLastSeparator(rule.source).Folder;
      if (std::find(expected.sources.begin(), expected.sources.end(), source) == expected.sources.end()) {
        expected.sources.push_back(source);
      }
      expected.destinations.push_back(std::u16string(TrimTrailingSeparators(rule.destination)));
    }
    for (const std::u16string& source : expected.sources) {
      for (const FileAt& file : FilesBelow(fs, source)) {
        for (const Rule& rule : scenario().rules) {
          if (Takes(rule, file.path)) {
            expected.arriving.push_back({file.path, file.content, &rule});
            break;
          }
        }
        expected.known.insert(file.content);
      }
    }
    for (const std::u16string& destination : expected.destinations) {
      for (const FileAt& file : FilesBelow(fs, destination)) {
        if (file.visible) expected.waiting.emplace_back(file.path, file.content);
        if (!file.visible) expected.leftovers.push_back(file.content);
        expected.known.insert(file.content);
      }
    }
    for (const FileAt& file : FilesBelow(fs, u"C:\\keep")) expected.untouchable.emplace_back(file.path, file.content);
    return expected;
  }

  // The checks that hold in any state: nothing lost, nothing torn in sight.
  void ExpectSafe(PowerCutFileSystem& fs, const Expectations& expected, const std::string& when) const {
    std::vector<FileAt> atDestinations;
    for (const std::u16string& destination : expected.destinations) {
      for (FileAt& file : FilesBelow(fs, destination)) atDestinations.push_back(std::move(file));
    }
    auto visibleAtDestinations = [&](const std::string& content) {
      int count = 0;
      for (const FileAt& file : atDestinations) count += file.visible && file.content == content ? 1 : 0;
      return count;
    };
    for (const auto& file : expected.arriving) {
      const bool atSource = fs.ReadFile(file.path) == file.content;
      EXPECT_TRUE(atSource || visibleAtDestinations(file.content) > 0)
          << when << ": no whole copy of " << EncodeUtf8(file.path) << " is left in sight";
    }
    for (const auto& file : expected.waiting) {
      bool kept = fs.ReadFile(file.first) == file.second;
      for (const auto& arriving : expected.arriving) {
        kept = kept || (!arriving.rule->rename && fs.ReadFile(file.first) == arriving.content);
      }
      EXPECT_TRUE(kept) << when << ": " << EncodeUtf8(file.first) << " holds neither its old file nor the new one";
    }
    for (const std::string& leftover : expected.leftovers) {
      bool somewhere = false;
      for (const FileAt& file : atDestinations) somewhere = somewhere || file.content == leftover;
      EXPECT_TRUE(somewhere) << when << ": the leftover temporary holding \"" << leftover << "\" is gone";
    }
    for (const auto& file : expected.untouchable) {
      EXPECT_EQ(fs.ReadFile(file.first), file.second) << when << ": " << EncodeUtf8(file.first) << " was touched";
    }
    std::vector<FileAt> inSight = atDestinations;
    for (const std::u16string& source : expected.sources) {
      for (FileAt& file : FilesBelow(fs, source)) inSight.push_back(std::move(file));
    }
    for (const FileAt& file : inSight) {
      if (!file.visible) continue;
      EXPECT_EQ(expected.known.count(file.content), 1u)
          << when << ": " << EncodeUtf8(file.path) << " is torn or zero-filled (" << file.content.size() << " bytes)";
    }
  }

  // After the passes that follow: every move done once, every copy made,
  // nothing of ours left over.
  void ExpectFinished(PowerCutFileSystem& fs, const Expectations& expected, const std::string& when) const {
    for (const auto& file : expected.arriving) {
      const std::u16string destination(TrimTrailingSeparators(file.rule->destination));
      int copies = 0;
      for (const FileAt& found : FilesBelow(fs, destination)) copies += found.visible && found.content == file.content;
      const bool atSource = fs.ReadFile(file.path) == file.content;
      if (file.rule->kind == SortMethod::Copy) {
        EXPECT_TRUE(atSource && copies >= 1) << when << ": the copy of " << EncodeUtf8(file.path) << " is missing";
      } else {
        EXPECT_TRUE((copies == 1 && !atSource) || (copies == 0 && atSource))
            << when << ": " << EncodeUtf8(file.path) << " is " << copies << " times at its destination"
            << (atSource ? " and still at its source" : "");
      }
    }
    for (const std::u16string& folder : expected.destinations) {
      std::vector<FileInfo> entries;
      fs.ListFolder(folder, entries);
      for (const FileInfo& entry : entries) {
        if (!IsTemporaryComponent(entry.Name) || entry.IsLink) continue;
        bool leftover = false;
        for (const FileAt& file : FilesBelow(fs, JoinPath(folder, entry.Name))) {
          for (const std::string& content : expected.leftovers) leftover = leftover || file.content == content;
        }
        if (!entry.IsFolder) {
          for (const std::string& content : expected.leftovers) {
            leftover = leftover || fs.ReadFile(JoinPath(folder, entry.Name)) == content;
          }
        }
        EXPECT_TRUE(leftover) << when << ": the temporary " << EncodeUtf8(entry.Name) << " was left behind";
      }
    }
  }
};

TEST_P(PowerCutTest, EveryStateACutCanLeaveKeepsEveryFile) {
  PowerCutFileSystem fs(persistence());
  scenario().setup(fs);
  const Expectations expected = Expect(fs);
  if (scenario().passBeforeTheCut) RunPass(fs);
  fs.StartRecording();
  RunPass(fs);
  ExpectSafe(fs, expected, "without a cut");
  PowerCutFileSystem next(persistence(), fs.Live());
  RunPass(next);
  ExpectFinished(next, expected, "without a cut, then a pass");
  if (!scenario().passBeforeTheCut) {
    ASSERT_GT(fs.ChangeCount(), 0u);
  }

  const uint64_t seed = Seed();
  std::mt19937_64 random(seed);
  constexpr size_t kStatesPerCut = 24;
  size_t checked = 0;
  double possible = 0;
  for (size_t cut = 0; cut <= fs.ChangeCount(); ++cut) {
    double here = 0;
    const std::vector<DiskImage> states = fs.CrashStates(cut, kStatesPerCut, random, here);
    possible += here;
    for (size_t s = 0; s < states.size(); ++s) {
      const std::string when = std::string("cut after ") + std::to_string(cut) + " changes" +
                               (cut > 0 ? " (last: " + fs.DescribeChange(cut - 1) + ")" : "") + ", state " +
                               std::to_string(s) + " (seed " + std::to_string(seed) + ")";
      PowerCutFileSystem after(persistence(), states[s]);
      ExpectSafe(after, expected, when);
      // The next pass, and the one after it, once the disk has written back what it was given.
      RunPass(after);
      ExpectSafe(after, expected, when + ", then a pass");
      PowerCutFileSystem later(persistence(), after.Live());
      RunPass(later);
      ExpectSafe(later, expected, when + ", then two passes");
      ExpectFinished(later, expected, when + ", then two passes");
      ++checked;
      if (HasFailure()) {
        ADD_FAILURE() << "stopped at the first failing state; seed " << seed << "\nthe state:\n"
                      << Dump(states[s], expected) << "after two passes:\n" << Dump(later.Live(), expected);
        return;
      }
    }
  }
  std::cout << "[ power cut ] " << scenario().name << " / " << PersistenceName(persistence()) << ": "
            << fs.ChangeCount() << " changes, " << checked << " states checked of " << possible << " possible\n";
}

INSTANTIATE_TEST_SUITE_P(, PowerCutTest,
                         ::testing::Combine(::testing::Values(Persistence::OrderedMetadata, Persistence::Weak,
                                                              Persistence::NoFolderFlush),
                                            ::testing::ValuesIn(kScenarios)),
                         [](const ::testing::TestParamInfo<std::tuple<Persistence, PowerCutScenario>>& param) {
                           return std::string(PersistenceName(std::get<0>(param.param))) + "_" +
                                  std::get<1>(param.param).name;
                         });

}  // namespace
}  // namespace savrin
