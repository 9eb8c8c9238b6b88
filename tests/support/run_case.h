// Table-driven runs of the built tool: an archive in, and the exact output,
// exit status and files that must come out.
#ifndef ORVEX_TESTS_SUPPORT_RUN_CASE_H
#define ORVEX_TESTS_SUPPORT_RUN_CASE_H

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/archive_builder.h"
#include "support/orvex_run.h"

namespace orvex::testing {

struct RunCase {
  const char* title;
  std::string archive;
  std::string output;
  int status;
  Files files;  // what the run leaves in the current directory besides `standing`
  // What stands in the current directory before the run, and stays as it was.
  std::vector<StandingPath> standing = {};
  Pieces beyond = {};  // the archive's bytes past `archive`, with holes between
};

// Names the case in test output instead of dumping its bytes.
inline void PrintTo(const RunCase& c, std::ostream* out) {
  *out << c.title;
}

class Extracts : public OrvexRun, public ::testing::WithParamInterface<RunCase> {};

inline std::string titleOf(const ::testing::TestParamInfo<RunCase>& param) {
  return param.param.title;
}

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_RUN_CASE_H
