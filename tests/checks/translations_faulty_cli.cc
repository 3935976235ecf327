// The sentences of a command-line tool whose catalogue (translations_faulty_de.po) has one fault of
// each kind; read by xgettext only, never compiled.
void Messages() {
  Say("Kept %1 of %2.");
  Say("Keep");
  Say("Fuzzy");
  Say("Done");
}
