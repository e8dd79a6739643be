# CHANGELOG.md to a Debian changelog: each "## VERSION (YYYY-MM-DD)" section
# becomes an entry, each "- " item (with the indented lines that continue it)
# a "  * " item wrapped at 78 columns. Variables: package, maintainer.
function flush_item(    n, words, line, i) {
  if (item == "") return
  n = split(item, words, " ")
  line = "  *"
  for (i = 1; i <= n; i++) {
    if (length(line) + 1 + length(words[i]) > 78 && line != "  *" && line != "   ") {
      print line
      line = "   "
    }
    line = line " " words[i]
  }
  print line
  item = ""
}
function flush_entry() {
  flush_item()
  if (version == "") return
  print ""
  print " -- " maintainer "  " date
  print ""
  version = ""
}
/^## [0-9]/ {
  flush_entry()
  version = $2
  day = $3
  gsub(/[()]/, "", day)
  cmd = "LC_ALL=C date -uR -d " day
  cmd | getline date
  close(cmd)
  print package " (" version ") unstable; urgency=medium"
  print ""
  next
}
version != "" && /^- / { flush_item(); item = substr($0, 3); next }
version != "" && /^  +[^ ]/ && item != "" { sub(/^ +/, ""); item = item " " $0; next }
version != "" && /^$/ { flush_item(); next }
END { flush_entry() }
