// Test helper: for each line "sfen <position> moves <usi moves>" of the
// file named by the first argument, tsshogi writes the record as KIF, KI2
// and CSA, and reads each of them back; it prints the three texts and what
// it read from them as USI, between "===" marker lines.
import fs from "node:fs";
import { Record, exportKIF, exportKI2, exportCSA, importKIF, importKI2, importCSA } from "tsshogi";

const lines = fs.readFileSync(process.argv[2], "utf-8").split("\n").filter((l) => l.trim() !== "");
const out = [];
for (const line of lines) {
  const record = Record.newByUSI(line);
  if (record instanceof Error) throw new Error(`${line}: ${record.message}`);
  const texts = { KIF: exportKIF(record, {}), KI2: exportKI2(record, {}), CSA: exportCSA(record, {}) };
  const readers = { KIF: importKIF, KI2: importKI2, CSA: importCSA };
  for (const [format, text] of Object.entries(texts)) {
    const back = readers[format](text);
    if (back instanceof Error) throw new Error(`${format} of ${line}: ${back.message}`);
    while (back.goForward()) {
      // to the last move: the USI text runs up to the current one
    }
    out.push(`===${format}`, text, `===USI`, back.usi);
  }
  out.push("===END");
}
process.stdout.write(out.join("\n") + "\n");
