#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/utf.h"
#include "sorting/file_operation.h"
#include "sorting/path_compare.h"
#include "sorting/temporary_name.h"
#include "tests/unit/fake_paths.h"
#include "tests/unit/fault_injecting_file_system.h"
#include "tests/unit/item_outcome_print.h"
#include "tests/unit/sandbox.h"

// Whatever step of an operation fails, and wherever the process dies, every
// file is where it was or complete where it went, and a later pass finishes
// the work and clears what the interrupted one left.

namespace savrin {
namespace {

using Files = std::vector<std::pair<std::u16string, std::string>>;

struct Scenario {
  const char* name;
  SortMethod kind;
  bool rename;
  bool otherVolume;
  std::u16string source;
  void (*setup)(Sandbox&);
};

void FileNameTaken(Sandbox& box) {
  box.WriteAt(u"in\\report.pdf", "the new report");
  box.WriteAt(u"out\\report.pdf", "the old report");
}

void ReadOnlyFilesOnBothSides(Sandbox& box) {
  FileNameTaken(box);
  box.SetAttributesAt(u"in\\report.pdf", FileAttributes{true, false, false});
  box.SetAttributesAt(u"out\\report.pdf", FileAttributes{true, false, false});
}

void FolderNameTaken(Sandbox& box) {
  box.MakeFolder(u"in\\album");
  box.MakeFolder(u"in\\album\\2005");
  box.MakeFolder(u"in\\album\\empty");
  box.WriteAt(u"in\\album\\1.jpg", "photo one");
  box.WriteAt(u"in\\album\\2005\\2.jpg", "photo two");
  box.WriteAt(u"in\\album\\2005\\3.jpg", "photo three");
  box.SetAttributesAt(u"in\\album\\1.jpg", FileAttributes{true, false, false});
  box.MakeFolder(u"out\\album");
  box.WriteAt(u"out\\album\\1.jpg", "an older photo");
}

void SeveralFiles(Sandbox& box) {
  box.WriteAt(u"in\\a.pdf", "first file");
  box.WriteAt(u"in\\b.pdf", "second file");
  box.WriteAt(u"in\\c.pdf", "third file");
  box.WriteAt(u"out\\a.pdf", "an older first file");
}

const Scenario kScenarios[] = {
    {"CopyOntoATakenName", SortMethod::Copy, true, false, u"in\\report.pdf", &FileNameTaken},
    {"CopyOverAReadOnlyFile", SortMethod::Copy, false, false, u"in\\*.pdf", &ReadOnlyFilesOnBothSides},
    {"MoveBetweenVolumesOntoATakenName", SortMethod::Move, true, true, u"in\\*.pdf", &ReadOnlyFilesOnBothSides},
    {"MoveBetweenVolumesOverAFile", SortMethod::Move, false, true, u"in\\report.pdf", &FileNameTaken},
    {"MoveAFolderBetweenVolumes", SortMethod::Move, true, true, u"in\\album", &FolderNameTaken},
    {"CopyAFolder", SortMethod::Copy, true, false, u"in\\album", &FolderNameTaken},
    {"MoveSeveralFilesBetweenVolumes", SortMethod::Move, true, true, u"in\\*.pdf", &SeveralFiles},
    {"MoveSeveralFilesWithinAVolume", SortMethod::Move, true, false, u"in\\*.pdf", &SeveralFiles},
    {"MoveSeveralFilesOverwriting", SortMethod::Move, false, false, u"in\\*.pdf", &SeveralFiles},
};

bool Holds(const Files& files, const std::string& content) {
  for (const auto& file : files) {
    if (file.second == content && !UnderTemporary(file.first)) return true;
  }
  return false;
}

bool HasFile(const Files& files, const std::u16string& path, const std::string& content) {
  for (const auto& file : files) {
    if (ComparablePath(file.first) == ComparablePath(path) && file.second == content) return true;
  }
  return false;
}

class CrashTest : public ::testing::TestWithParam<std::tuple<SandboxKind, Scenario>> {
 protected:
  const Scenario& scenario() const { return std::get<1>(GetParam()); }

  void Fresh() {
    box = std::get<0>(GetParam()).make();
    box->MakeFolder(u"in");
    box->MakeFolder(u"out");
    scenario().setup(*box);
    sourceBefore = box->FilesBelow(u"in");
    destinationBefore = box->FilesBelow(u"out");
  }

  std::unique_ptr<FaultInjectingFileSystem> Wrapper() {
    auto faults = std::make_unique<FaultInjectingFileSystem>(box->Fs());
    if (scenario().otherVolume) {
      const std::u16string in = box->Path(u"in");
      auto fromIn = [in](const FsCallRecord& call) { return IsSameOrInside(call.path, in); };
      faults->FailWhen(FsCall::MoveNoReplace, fromIn, Status::Error(StatusCode::CrossDevice));
      faults->FailWhen(FsCall::MoveReplace, fromIn, Status::Error(StatusCode::CrossDevice));
    }
    return faults;
  }

  std::vector<ItemResult> Run(FileSystem& fs) {
    return PerformFileOperation(fs, {scenario().kind, box->Path(scenario().source), box->Path(u"out\\"),
                                     scenario().rename});
  }

  // Nothing lost, nothing torn under a final name.
  void ExpectNothingLost(const std::string& when) {
    const Files source = box->FilesBelow(u"in");
    const Files destination = box->FilesBelow(u"out");
    std::set<std::string> known;
    for (const auto& file : sourceBefore) known.insert(file.second);
    for (const auto& file : destinationBefore) known.insert(file.second);
    for (const auto& file : destination) {
      if (UnderTemporary(file.first)) continue;
      EXPECT_EQ(known.count(file.second), 1u) << when << ": torn or strange file " << EncodeUtf8(file.first)
                                              << " holding \"" << file.second << "\"";
    }
    for (const auto& file : sourceBefore) {
      EXPECT_TRUE(HasFile(source, file.first, file.second) || Holds(destination, file.second))
          << when << ": lost " << EncodeUtf8(file.first);
    }
    for (const auto& file : destinationBefore) {
      if (scenario().rename) {
        EXPECT_TRUE(HasFile(destination, file.first, file.second)) << when << ": lost " << EncodeUtf8(file.first);
        continue;
      }
      bool oldOrNew = HasFile(destination, file.first, file.second);
      for (const auto& arriving : sourceBefore) oldOrNew = oldOrNew || HasFile(destination, file.first, arriving.second);
      EXPECT_TRUE(oldOrNew) << when << ": neither old nor new at " << EncodeUtf8(file.first);
    }
  }

  // A later pass without faults finishes the work and clears temporaries.
  void ExpectALaterPassFinishes(const std::string& when) {
    auto faults = Wrapper();
    Run(*faults);
    ExpectNothingLost(when + ", then a clean pass");
    for (const std::u16string& name : box->NamesAt(u"out")) {
      EXPECT_FALSE(IsTemporaryName(name)) << when << ": temporary left after a clean pass";
    }
    const Files source = box->FilesBelow(u"in");
    if (scenario().kind == SortMethod::Copy) {
      EXPECT_EQ(source, sourceBefore) << when;
    } else {
      EXPECT_TRUE(source.empty()) << when << ": the move is not finished";
    }
    const Files destination = box->FilesBelow(u"out");
    for (const auto& file : sourceBefore) EXPECT_TRUE(Holds(destination, file.second)) << when;
  }

  std::unique_ptr<Sandbox> box;
  Files sourceBefore;
  Files destinationBefore;
};

TEST_P(CrashTest, ACleanRunDoesTheWork) {
  Fresh();
  auto faults = Wrapper();
  const auto results = Run(*faults);
  ASSERT_FALSE(results.empty());
  for (const ItemResult& result : results) {
    EXPECT_TRUE(result.Outcome == ItemOutcome::Placed || result.Outcome == ItemOutcome::Renamed ||
                result.Outcome == ItemOutcome::Replaced)
        << result.Outcome;
  }
  ExpectALaterPassFinishes("clean run");
}

TEST_P(CrashTest, DeathAtAnyStepLosesNothing) {
  Fresh();
  auto probe = Wrapper();
  Run(*probe);
  const size_t steps = probe->Calls().size();
  ASSERT_GT(steps, 3u);
  for (size_t step = 0; step < steps; ++step) {
    Fresh();
    auto faults = Wrapper();
    Sandbox* sandbox = box.get();
    // A copy cut short leaves half a file behind, as a real one would.
    faults->CrashAt(step, [sandbox](const FsCallRecord& call) {
      if (call.kind == FsCall::CopyToNewFile) {
        const std::string content = sandbox->Read(call.path).value_or("");
        sandbox->Write(call.otherPath, content.substr(0, content.size() / 2));
      }
      return Status::Ok();
    });
    Run(*faults);
    box->EndProcess();
    // A run may make a call or two fewer than the probe did: two files
    // written within one tick of the file system's clock share a time, and
    // only then are their contents compared.
    std::string when = std::string("death at step ") + std::to_string(step);
    if (step < faults->Calls().size()) {
      const FsCallRecord& call = faults->Calls()[step];
      when += std::string(" (") + FsCallName(call.kind) + " " + EncodeUtf8(call.path) + ")";
    }
    ExpectNothingLost(when);
    ExpectALaterPassFinishes(when);
  }
}

TEST_P(CrashTest, AFailureAtAnyStepLosesNothing) {
  Fresh();
  auto probe = Wrapper();
  Run(*probe);
  const std::vector<FsCallRecord> calls = probe->Calls();
  for (const FsCallRecord& failing : calls) {
    Fresh();
    auto faults = Wrapper();
    faults->FailNth(failing.kind, failing.ordinal, Status::Error(StatusCode::IoError, 0, "injected"));
    Run(*faults);
    const std::string when = std::string("failure of ") + FsCallName(failing.kind) + " #" +
                             std::to_string(failing.ordinal) + " (" + EncodeUtf8(failing.path) + ")";
    ExpectNothingLost(when);
    ExpectALaterPassFinishes(when);
  }
}

INSTANTIATE_TEST_SUITE_P(, CrashTest,
                         ::testing::Combine(::testing::ValuesIn(AllSandboxKinds()), ::testing::ValuesIn(kScenarios)),
                         [](const ::testing::TestParamInfo<std::tuple<SandboxKind, Scenario>>& param) {
                           return std::string(std::get<0>(param.param).name) + "_" + std::get<1>(param.param).name;
                         });

}  // namespace
}  // namespace savrin
