// Writes well-formed netlists of every input format at full capacity (6000
// parts, 20000 pin entries, realistic names), a category part file of 6000
// rows and a previous report of 6000 rows, for the benchmarks.
//
//   korv-bench-generate DIR
//
// Files: board.pads board.cadvance board.mm2 board.protel board.telesis
// board.ccf, board.protel_grouped board.protel_alternating (the same Protel
// board with hyphenated pins, in two layouts), parts.csv, board.pro, and
// board.<fmt>_f00.csv for each of them.
#include <cstdio>
#include <cstring>

namespace {

enum { PARTS = 6000, NODES = 20000, PER_NET = 5, NETS = NODES / PER_NET };

struct Family {
  const char* category;
  int count;
  const char* values[4];
  const char* packages[4];
};

const Family families[] = {
    {"R", 2400,
     {"10k 1% 0.1W thick film", "4.7k 1% 0.063W", "100 5% 0.25W anti-surge", "2.2M 1% high voltage"},
     {"RESC1608X55N_IPC_NOMINAL", "RESC1005X40N_IPC_NOMINAL", "RESC2012X70N_HIGH_POWER",
      "Resistor_SMD:R_0805_2012Metric"}},
    {"C", 2000,
     {"100n 16V X7R 10%", "10u 25V X5R 20% low ESR", "22p 50V C0G NP0 5%", "0.1u 50V X7R"},
     {"CAPC1608X90N_IPC_NOMINAL", "CAPC1005X55N_IPC_NOMINAL", "CAPC3216X180N_TALL_BODY",
      "Capacitor_SMD:C_1206_3216Metric"}},
    {"U", 500,
     {"LM358 dual operational amplifier", "STM32F407VGT6 microcontroller", "74HC595 shift register",
      "TPS62130 step-down converter"},
     {"SOIC127P600X175-8N", "QFP50P1600X1600X160-100N", "SOP65P640X120-16N", "QFN50P300X300X100-17N"}},
    {"D", 400, {"1N4148 switching diode", "BAT54S dual schottky", "LED red 625nm 20mA", "SMBJ5.0A TVS"},
     {"SOD3716X135N", "SOT95P240X110-3N", "LEDC1608X80N_CLEAR_LENS", "DIOM5436X244N"}},
    {"L", 300, {"10uH 1A shielded", "4.7uH 3A power inductor", "BLM18AG601 ferrite bead", "1uH 2A"},
     {"INDC1608X95N", "IND_4040X300_SHIELDED", "INDC2012X125N", "IND_2020X100"}},
    {"J", 200, {"CONN 2 pin 2.54mm", "USB C receptacle 16 pin", "HEADER 2x10 2.54mm", "SMA edge launch"},
     {"CONN_PINHEADER_1X02_P254", "USB_C_RECEPTACLE_16P_MIDMOUNT", "PINHEADER_2X10_P254_VERTICAL",
      "SMA_EDGE_MOUNT_062_BOARD"}},
    {"Q", 200, {"BSS138 N-channel MOSFET", "IRLML6344 N-MOSFET", "MMBT3904 NPN", "AO3401 P-MOSFET"},
     {"SOT95P237X112-3N", "SOT95P240X110-3N_FET", "SOT65P210X110-3N", "SOT95P280X145-3N"}},
};

struct Part {
  char reference[24];
  const char* category;
  const char* value;
  const char* package;
};

Part parts[PARTS];
char netNames[NETS][40];

void makeParts() {
  int n = 0;
  for (const Family& f : families) {
    for (int i = 1; i <= f.count && n < PARTS; i++, n++) {
      snprintf(parts[n].reference, sizeof parts[n].reference, "%s%d", f.category, i);
      parts[n].category = f.category;
      parts[n].value = f.values[i % 4];
      parts[n].package = f.packages[(i / 4) % 4];
    }
  }
  for (int i = 0; i < NETS; i++) {
    static const char* stems[] = {"GND_DIGITAL_RETURN_", "VCC_3V3_REGULATED_", "DATA_BUS_MEMORY_D", "ADDR_BUS_A", "CTRL_SIGNAL_ENABLE_", "N$"};
    snprintf(netNames[i], sizeof netNames[i], "%s%05d", stems[i % 6], i);
  }
}

// Node k: net k / PER_NET, part (k * 7) % PARTS, pin 1 + k / PARTS.
const Part& nodePart(int k) { return parts[(k * 7) % PARTS]; }
int nodePin(int k) { return 1 + k / PARTS; }

FILE* openOut(const char* dir, const char* name) {
  char path[4096];
  snprintf(path, sizeof path, "%s/%s", dir, name);
  FILE* f = fopen(path, "wb");
  if (f == nullptr) perror(path);
  return f;
}

void writePads(FILE* f) {
  fputs("*PADS-PCB*\r\n*PART*\r\n", f);
  for (const Part& p : parts) fprintf(f, "%-8s %s@%s\r\n", p.reference, p.value, p.package);
  fputs("\r\n*NET*\r\n", f);
  for (int net = 0; net < NETS; net++) {
    fprintf(f, "*SIGNAL* %s\r\n", netNames[net]);
    for (int k = net * PER_NET; k < (net + 1) * PER_NET; k++)
      fprintf(f, " %s.%d", nodePart(k).reference, nodePin(k));
    fputs("\r\n", f);
  }
  fputs("*END*     OF ASCII OUTPUT FILE\r\n", f);
}

void writeCadvance(FILE* f) {
  fputs("/* netlist of board, generated for benchmarks */\r\n$NET_LIST {\r\n  comp {\r\n", f);
  for (const Part& p : parts)
    fprintf(f, "    %s [%s] {\"%s\", SMD};\r\n", p.reference, p.value, p.package);
  fputs("  }\r\n  nets {\r\n", f);
  for (int net = 0; net < NETS; net++) {
    fprintf(f, "    %s = {", netNames[net]);
    for (int k = net * PER_NET; k < (net + 1) * PER_NET; k++)
      fprintf(f, "%s%s-%d", k == net * PER_NET ? "" : ", ", nodePart(k).reference, nodePin(k));
    fputs("};\r\n", f);
  }
  fputs("  }\r\n}\r\n", f);
}

void writeMm2(FILE* f) {
  fputs("BOARD NETLIST\r\n$PTS\r\n", f);
  for (const Part& p : parts) fprintf(f, "%s ! %s ; %s\r\n", p.package, p.value, p.reference);
  fputs("$END\r\n$NET\r\n", f);
  for (int net = 0; net < NETS; net++) {
    fprintf(f, "%s ;", netNames[net]);
    for (int k = net * PER_NET; k < (net + 1) * PER_NET; k++) {
      fprintf(f, " %s-%d", nodePart(k).reference, nodePin(k));
      if (k + 1 < (net + 1) * PER_NET) fputs(k % PER_NET == 2 ? ",\r\n   " : ",", f);
    }
    fputs("\r\n", f);
  }
  fputs("$END\r\n", f);
}

void writeProtel(FILE* f) {
  for (const Part& p : parts) fprintf(f, "[\r\n%s\r\n%s\r\n%s\r\n\r\n\r\n\r\n]\r\n", p.reference, p.package, p.value);
  for (int net = 0; net < NETS; net++) {
    fprintf(f, "(\r\n%s\r\n", netNames[net]);
    for (int k = net * PER_NET; k < (net + 1) * PER_NET; k++)
      fprintf(f, "%s-%d\r\n", nodePart(k).reference, nodePin(k));
    fputs(")\r\n", f);
  }
}

// Pin lines with two hyphens ("R12-1-1", a sub-pin of R12) make the Protel
// reader look for a stored reference at each hyphen.  The grouped board
// lists every part before the nets; the alternating one follows each part
// block with a net block, so lookups and new parts interleave.
void writeProtelHyphens(FILE* f, bool alternate) {
  auto writeNet = [f](int net) {
    fprintf(f, "(\r\n%s\r\n", netNames[net]);
    for (int k = net * PER_NET; k < (net + 1) * PER_NET; k++)
      fprintf(f, "%s-%d-%d\r\n", nodePart(k).reference, nodePin(k), k % 3);
    fputs(")\r\n", f);
  };
  for (int i = 0; i < PARTS; i++) {
    const Part& p = parts[i];
    fprintf(f, "[\r\n%s\r\n%s\r\n%s\r\n\r\n\r\n\r\n]\r\n", p.reference, p.package, p.value);
    if (alternate && i < NETS) writeNet(i);
  }
  for (int net = alternate ? PARTS : 0; net < NETS; net++) writeNet(net);
}
void writeProtelGrouped(FILE* f) { writeProtelHyphens(f, false); }
void writeProtelAlternating(FILE* f) { writeProtelHyphens(f, true); }

void writeTelesis(FILE* f) {
  fputs("$PACKAGES\r\n", f);
  for (int i = 0; i < PARTS; i += 3) {
    // Parts of one family share a package line when they share package and value.
    fprintf(f, "'%s' ! '%s' ; %s", parts[i].package, parts[i].value, parts[i].reference);
    for (int j = i + 1; j < i + 3 && j < PARTS; j++) {
      if (parts[j].package == parts[i].package && parts[j].value == parts[i].value)
        fprintf(f, " %s", parts[j].reference);
      else
        fprintf(f, "\r\n'%s' ! '%s' ; %s", parts[j].package, parts[j].value, parts[j].reference);
    }
    fputs("\r\n", f);
  }
  fputs("$NETS\r\n", f);
  for (int net = 0; net < NETS; net++) {
    fprintf(f, "'%s' ;", netNames[net]);
    for (int k = net * PER_NET; k < (net + 1) * PER_NET; k++) {
      fprintf(f, " %s.%d", nodePart(k).reference, nodePin(k));
      if (k % PER_NET == 2 && k + 1 < (net + 1) * PER_NET) fputs(" ,\r\n", f);
    }
    fputs("\r\n", f);
  }
  fputs("$END\r\n", f);
}

void writeCcf(FILE* f) {
  fputs("$CCF\r\n{\r\n  DEFINITION\r\n  {\r\n", f);
  for (const Part& p : parts) fprintf(f, "    \"%s\".%s: %s;\r\n", p.value, p.package, p.reference);
  fputs("  }\r\n  NET\r\n  {\r\n", f);
  for (int net = 0; net < NETS; net++) {
    fprintf(f, "    %s:", netNames[net]);
    for (int k = net * PER_NET; k < (net + 1) * PER_NET; k++)
      fprintf(f, "%s%s(%d)", k == net * PER_NET ? " " : ", ", nodePart(k).reference, nodePin(k));
    fputs(";\r\n", f);
  }
  fputs("  }\r\n}\r\n", f);
}

void writeCategory(FILE* f) {
  fputs("Category,PCB attribute,Footprint code,Note,Maker,Version\r\n", f);
  int rows = 0;
  for (const Family& fam : families)
    for (const char* package : fam.packages) {
      if (strchr(package, ':') != nullptr) continue;
      fprintf(f, "%s,%s,Library_%s:%s_Footprint,,,\r\n", fam.category, package, fam.category, package);
      rows++;
    }
  // Spare rows up to 6000, one entry each (a quoted one-item list), so the
  // index is exactly full and nothing is left out.
  for (int i = 0; rows < 6000; i++, rows++)
    fprintf(f, "\"X%d\",PKG_%05d,Misc_Library:Package_%05d_Generic,spare row,maker,V1/V2\r\n",
            i % 50, i, i);
}

void writePrevious(FILE* f, const char* input) {
  fprintf(f, "Input=%s\r\nOutput=board.net\r\n", input);
  fputs("Status,Category,Value,Reference number,PCB attribute,Forced mark,Footprint code\r\n", f);
  for (int i = 0; i < PARTS; i++) {
    const Part& p = parts[i];
    const char* mark = i % 97 == 0 ? "x" : "";
    fprintf(f, "keep,%s,\"`%s\",%s,\"%s\",%s,\"Library_%s:%s_Footprint\"\r\n", p.category,
            i % 131 == 0 ? "#$#edited value" : p.value, p.reference, p.package, mark, p.category,
            p.package);
  }
  fprintf(f, "\"total parts=%d, ERROR(no pcb)=0, ERROR(no index)=0, ERROR(dup index)=0, "
             "FORCED(no index)=0, FORCED(mark)=0, update=0, new=0, keep=%d, illegal=0, "
             "too long=0; index=6000, previous=6000\"\r\n",
          PARTS, PARTS);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fputs("usage: korv-bench-generate DIR\n", stderr);
    return 2;
  }
  makeParts();
  const char* dir = argv[1];
  struct {
    const char* name;
    void (*write)(FILE*);
  } formats[] = {{"board.pads", writePads},       {"board.cadvance", writeCadvance},
                 {"board.mm2", writeMm2},         {"board.protel", writeProtel},
                 {"board.telesis", writeTelesis}, {"board.ccf", writeCcf},
                 {"board.protel_grouped", writeProtelGrouped},
                 {"board.protel_alternating", writeProtelAlternating}};
  for (const auto& format : formats) {
    FILE* f = openOut(dir, format.name);
    if (f == nullptr) return 1;
    format.write(f);
    fclose(f);
    char previous[64];
    snprintf(previous, sizeof previous, "%s_f00.csv", format.name);
    f = openOut(dir, previous);
    if (f == nullptr) return 1;
    writePrevious(f, format.name);
    fclose(f);
  }
  FILE* f = openOut(dir, "parts.csv");
  if (f == nullptr) return 1;
  writeCategory(f);
  fclose(f);
  f = openOut(dir, "board.pro");
  if (f == nullptr) return 1;
  fclose(f);
  return 0;
}
