# Sourced by the imports tests of the shipped programs: reads the headers
# and sections of $exe with $objdump into $headers and $sections, the DLLs
# it imports into $dlls, and sets status=1 (saying why) when it imports
# from anything but a system DLL (the C++ runtime is linked in statically;
# bcrypt.dll is CNG, which hash/ uses for MD5, SHA-1 and SHA-2). A test
# may allow more system DLLs for its program in $also_allowed ("a|b").
headers=$("$objdump" -p "$exe")
sections=$("$objdump" -h "$exe")
allowed="^(kernel32|user32|gdi32|comdlg32|shell32|ole32|advapi32|msvcrt|comctl32|bcrypt${also_allowed:+|$also_allowed})\\.dll\$"
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
if [ -z "$dlls" ]; then
  echo "FAIL: no imports listed for $exe"; status=1
fi
for dll in $dlls; do
  if [[ ! $dll =~ $allowed ]]; then
    echo "FAIL: imports from $dll, which is not a system DLL"; status=1
  fi
done
