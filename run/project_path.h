// The KiCad project file names the output netlist: it lies beside the
// project, under the project's name with "net" in place of its ending.
#pragma once

#include <cstddef>

struct ProjectName {
  size_t stemLen;  // bytes of the project path that the netlist path keeps
  bool accepted;   // the path ends in a project ending the kind accepts
};

// Splits a project path for a project kind.  KiCad(v5) takes "*.pro";
// KiCad 6 and later take "*.kicad_pro" and "*.pro" (endings compared
// exactly, in lower case).  The netlist path is the stem followed by "net":
// board.pro and board.kicad_pro both give board.net.  A path the kind does
// not accept still gives a stem (all but its last three characters), so a
// refusal can name the path it would have written.
ProjectName splitProjectPath(const char* projectPath, int projectKind);
