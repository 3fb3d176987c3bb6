# Doxygen input filter: the headers document their declarations with plain
# "//" comments. A comment block right before a declaration becomes its
# documentation ("///"); the block before "#pragma once" describes the file;
# section rulers ("// ---- Name ----") and comments inside function bodies
# stay plain comments. Line numbers are kept.
function flush(target,   i) {
  for (i = 1; i <= n; i++) {
    line = buf[i]
    if (target == "doc") sub(/\/\/ ?/, "/// ", line)
    else if (target == "file") { sub(/\/\/ ?/, (i == 1 ? "/// \\file\n/// " : "/// "), line) }
    print line
  }
  n = 0
}
/^[ \t]*\/\/ ?(----|====)/ { flush("plain"); print; next }
/^[ \t]*\/\// { buf[++n] = $0; next }
{
  if (n > 0) {
    if ($0 ~ /^#pragma once/) flush("file")
    else if ($0 ~ /^[ \t]*$/ || $0 ~ /^[ \t]*#/) flush("plain")
    else flush("doc")
  }
  print
}
END { flush("plain") }
