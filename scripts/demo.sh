#!/usr/bin/env bash
# The road of one tender document between two offices, on the embedded demo
# library: office A makes a tender from a template and sends it as a package,
# office B checks it, takes it in as a tender and as the start of a bid, saves
# it as a template of its own and sends its library back, and A takes that in
# twice (renaming, then replacing). Every step prints the command it runs.
set -euo pipefail
QUILLON=$(realpath "${1:-build/quillon}")
ROOT=${2:-demo-home}

rm -rf "$ROOT"
mkdir -p "$ROOT"
ROOT=$(realpath "$ROOT")
A="$ROOT/office-a"
B="$ROOT/office-b"
OUTBOX="$ROOT/outbox"
mkdir -p "$OUTBOX"

bold=$'\033[1m' dim=$'\033[2m' plain=$'\033[0m'
[ -t 1 ] || { bold='' dim='' plain=''; }
section() { printf '\n%s== %s ==%s\n' "$bold" "$*" "$plain"; }
say() { printf '%s%s%s\n' "$dim" "$*" "$plain"; }
# Runs quillon on one office's installation, printing the command first.
office() {
  local home=$1
  shift
  printf '\n%s$ quillon --home %s %s%s\n' "$bold" "${home#"$ROOT"/}" "$*" "$plain"
  "$QUILLON" --home "$home" "$@"
}
show() {
  printf '\n%s$ %s%s\n' "$bold" "$*" "$plain"
  "$@"
}

# A one-page PDF with a line of text; the cross-reference table needs each
# object's byte offset, so lengths are counted in bytes.
make_pdf() {
  local file=$1 text=$2 LC_ALL=C
  local -a objs=(
    "<< /Type /Catalog /Pages 2 0 R >>"
    "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"
    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>"
    ""
    "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
  local stream="BT /F1 18 Tf 72 760 Td ($text) Tj ET"
  objs[3]="<< /Length ${#stream} >>"$'\nstream\n'"$stream"$'\nendstream'
  local body=$'%PDF-1.4\n' offsets=() i
  for i in "${!objs[@]}"; do
    offsets+=("${#body}")
    body+="$((i + 1)) 0 obj"$'\n'"${objs[$i]}"$'\nendobj\n'
  done
  local xref=${#body}
  body+="xref"$'\n'"0 $((${#objs[@]} + 1))"$'\n'"0000000000 65535 f "$'\n'
  for i in "${offsets[@]}"; do body+=$(printf '%010d 00000 n ' "$i")$'\n'; done
  body+="trailer"$'\n'"<< /Size $((${#objs[@]} + 1)) /Root 1 0 R >>"$'\n'"startxref"$'\n'"$xref"$'\n%%EOF\n'
  printf '%s' "$body" >"$file"
}

# A small Word-readable document (rich text, which word processors open under
# a .doc name).
make_doc() {
  printf '{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 %s\\par}\n' "$2" >"$1"
}

TEMPLATE=21
TENDER="2027年度信息化设备采购项目招标文件"

section "1. Office A makes a tender document from a template"
say "Two installations, each with the demo library: seven templates in three categories."
office "$A" init --demo
office "$B" init --demo >/dev/null
office "$A" list templates
out=$(office "$A" new-bs --template $TEMPLATE --name "$TENDER" --root "2027年度信息化设备采购项目")
printf '%s\n' "$out"
PROJECT=$(printf '%s\n' "$out" | sed -n 's/^project \([0-9]*\)$/\1/p')
say "Template $TEMPLATE became project $PROJECT: the template's record, checks, scoring items and bid"
say "lines were copied with it, and the tree got new node numbers."

section "2. Office A sends it as a package, with the document's files beside it"
office "$A" --answer yes export --project "$PROJECT" "$OUTBOX/tender/tender.xml"
PKG_DIR="$OUTBOX/tender"
PKG="$PKG_DIR/tender.xml"
# The files an import looks for beside the package: the document under its
# node's name (.doc for a tender import, .DOC for a bid import), its PDF, the
# merged bid PDF, each drawing under its node's name and package number, and
# an attachments folder.
make_doc "$PKG_DIR/$TENDER.doc" "Tender document of project $PROJECT"
cp "$PKG_DIR/$TENDER.doc" "$PKG_DIR/$TENDER.DOC"
make_pdf "$PKG_DIR/$TENDER.PDF" "Tender document of project $PROJECT"
make_pdf "$PKG_DIR/合并标书.PDF" "Merged bid document"
drawing=$("$QUILLON" --home "$A" tree --project "$PROJECT" | sed -n 's/^[│├└─ ]*\(.*\) (type 8, node \([0-9]*\))$/\1\2/p' | awk 'NR == 1')
make_pdf "$PKG_DIR/$drawing.PDF" "Equipment drawing"
mkdir -p "$PKG_DIR/附件"
printf '营业执照副本\n资质证书\n' >"$PKG_DIR/附件/资格证明材料清单.txt"
make_pdf "$PKG_DIR/附件/授权委托书.pdf" "Power of attorney"
show ls -R "$PKG_DIR"

section "3. Office B checks the package, then takes it in as a tender and as the start of a bid"
office "$B" import --check "$PKG"
out=$(office "$B" import "$PKG" --parent 0 --layer 0 --doc-root "$B/Documents")
printf '%s\n' "$out"
B_TENDER=$(printf '%s\n' "$out" | sed -n 's/^project \([0-9]*\)$/\1/p')
office "$B" tree --project "$B_TENDER"
say "The document node hangs where B asked (the top of a new project); the package's project root"
say "came along renumbered. The document's files went into a folder named after it and its node:"
show find "$B/Documents" -type f
out=$(office "$B" import "$PKG" --bid --parent 0 --layer 0)
printf '%s\n' "$out"
B_BID=$(printf '%s\n' "$out" | sed -n 's/^project \([0-9]*\)$/\1/p')
office "$B" tree --project "$B_BID"
say "As a bid, the tender's root is renamed 标书 and moved under a new 投标书 beside the bid"
say "sections (投标关键信息, 附件); the document itself hangs where --parent put it. The files went"
say "below ProjectPath of SysUser.ini, into a folder named after the document node's number:"
show find "$B/Projects" -type f

section "4. Office B saves the tender as a template and sends its library; office A takes it in"
office "$B" save-template --project "$B_TENDER" --name "信息化设备采购招标文件范本（B单位2027版）"
office "$B" --answer yes export-library "$OUTBOX/library.xml"
say "A's library before:"
office "$A" list templates
office "$A" import-library "$OUTBOX/library.xml"
say "The seven demo templates clashed with A's own and were renamed; B's new template kept its name:"
office "$A" list templates
office "$A" import-library --replace-old "$OUTBOX/library.xml"
say "With --replace-old the same names replace A's templates instead: the old ones are invalidated."
office "$A" list templates

section "5. The compliance checks as a page"
office "$A" html --project "$PROJECT" -o "$OUTBOX/checks.html"
if command -v chromium >/dev/null 2>&1; then
  profile=$(mktemp -d)
  show chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --window-size=1200,900 \
    --screenshot="$OUTBOX/checks.png" "file://$OUTBOX/checks.html" 2>/dev/null
  rm -rf "$profile"
else
  say "(no chromium here: the page is not rendered to a PNG)"
fi

section "6. What moved"
count() { "$QUILLON" --home "$1" list "$2" --json | wc -l; }
files() { find "$@" -type f 2>/dev/null | wc -l; }
cat <<EOF
Office A ($A)
  made project $PROJECT from template $TEMPLATE and sent it as $PKG
  with $(($(files "$PKG_DIR") - 1)) document files beside it; now holds $(count "$A" projects) projects and $(count "$A" templates) templates
Office B ($B)
  took the package in as tender project $B_TENDER (files in $B/Documents: $(files "$B/Documents"))
  and as bid project $B_BID (files in $B/Projects: $(files "$B/Projects"));
  saved the tender as a template and sent the library of $(count "$B" templates) templates
Packages and the page: $OUTBOX
EOF
