#!/usr/bin/env bash
# installer_test.sh INSTALLER_TESTS_EXE MSI NEXT_MSI VERSION: checks the installer's tables with
# msiinfo, then runs installer_tests.exe under 64-bit Wine in a prefix made for it alone, on a
# display of its own, so that its installs, windows and messages meet nothing of other tests'.
set -euo pipefail
tests=$1 msi=$2 next=$3 version=$4

fail() {
  echo "$msi: $*" >&2
  exit 1
}
tab=$'\t'
# A table's rows, tab-separated, read whole before anything looks at them.
rows() { msiinfo export "$msi" "$1" | tail -n +4 | tr -d '\r'; }
property=$(rows Property) registry=$(rows Registry) directory=$(rows Directory)
shortcut=$(rows Shortcut) condition=$(rows LaunchCondition) file=$(rows File)
execute=$(rows InstallExecuteSequence)
sequence() { awk -F'\t' -v action="$1" '$1 == action {print $3}' <<<"$execute"; }

# Per user, without elevation: no ALLUSERS, and the summary's word count says so (bit 8).
words=$(msiinfo suminfo "$msi" | sed -n 's/^Source: \([0-9]*\).*/\1/p')
((words & 8)) || fail "asks for elevation"
! grep -q '^ALLUSERS' <<<"$property" || fail "installs for all users"
grep -qx "ProductVersion$tab$version" <<<"$property" || fail "is not version $version"
awk -F'\t' '$2 != 1 {exit 1}' <<<"$registry" || fail "writes outside HKEY_CURRENT_USER"
grep -qx "INSTALLDIR${tab}UserProgramsFolder${tab}Namewisp" <<<"$directory" &&
  grep -qx "UserProgramsFolder${tab}LocalAppDataFolder${tab}Programs" <<<"$directory" ||
  fail "does not install into %LOCALAPPDATA%\\Programs\\Namewisp"
launch='"[INSTALLDIR]namewisp-launcher.exe" "%V\."'
for verb in 'Directory\shell' 'Directory\Background\shell'; do
  grep -qxF "Software\\Classes\\$verb\\Namewisp\\command$tab$tab$launch${tab}ExplorerVerbs" \
    <<<"$(cut -f 3- <<<"$registry")" ||
    fail "has no $verb verb starting the launcher with \"%V\\.\""
done
awk -F'\t' '$1 == "StartMenuShortcut" && $2 == "ProgramMenuFolder" &&
  $5 == "[INSTALLDIR]namewisp.exe" && $12 == "HOMEFOLDER" {found = 1}
  END {exit !found}' <<<"$shortcut" ||
  fail "has no Start menu entry starting in the home folder"
grep -q "^NOT WIX_DOWNGRADE_DETECTED$tab" <<<"$condition" || fail "would go over a newer version"
(($(sequence InstallValidate) < $(sequence RemoveExistingProducts) &&
  $(sequence RemoveExistingProducts) < $(sequence InstallInitialize))) ||
  fail "does not remove an older version before installing"
for name in namewisp.exe namewisp-launcher.exe LICENSE.txt; do
  awk -F'\t' -v name="$name" '$3 == name {found = 1} END {exit !found}' <<<"$file" ||
    fail "lacks $name"
done

work=$(mktemp -d)
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all
# No Mono or Gecko prompts; no menu entries written to the desktop this runs on.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir "$HOME"
windowsPath() { printf 'Z:%s' "${1//\//\\}"; }
NAMEWISP_MSI=$(windowsPath "$msi") NAMEWISP_NEXT_MSI=$(windowsPath "$next")
export NAMEWISP_MSI NAMEWISP_NEXT_MSI
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -e
  wine=/usr/lib/wine/wine64
  timeout 120 $wine wineboot -i >/dev/null 2>&1
  # No window manager here: Wine draws the frames itself.
  $wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
  status=0
  timeout 240 $wine "$0" || status=$?
  /usr/lib/wine/wineserver -k 2>/dev/null || true  # while its display is still there
  exit $status' "$tests"
