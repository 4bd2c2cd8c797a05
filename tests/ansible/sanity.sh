#!/usr/bin/env bash
# One of ansible-test's sanity tests on the collection, run as ansible-test runs it but without
# its virtual environments (which it fills from PyPI, so they need a network): the tools come
# from Debian's packages. Exits 77 (skipped) where the tool is not installed.
#   sanity.sh validate-modules|pep8|yamllint COLLECTION
# COLLECTION is the collection as Python imports it, .../ansible_collections/NAMESPACE/NAME.
set -euo pipefail
test=$1
cd "$2"
root=$(cd ../../.. && pwd)
version=$(sed -n 's/^version: *//p' galaxy.yml)
# The ignore file of the ansible-core release: PATH TEST:CODE  # why
core=$(ansible --version 2>/dev/null | sed -n 's/.*core \([0-9]*\.[0-9]*\).*/\1/p' || true)
ignores=tests/sanity/ignore-${core:-none}.txt

skip() { echo "skipped: $*"; exit 77; }

# The errors a test reports as "PATH:LINE:COLUMN: CODE message", less those its ignore file
# lists for the path; fails when any is left.
report() {
    local left
    left=$(awk -v test="$test" -v ignores="$ignores" '
        BEGIN { while ((getline line < ignores) > 0) {
                    sub(/ *#.*/, "", line); split(line, part, " ")
                    if (part[2] ~ "^" test ":") ignored[part[1] " " substr(part[2], length(test) + 2)] = 1 } }
        { split($0, field, ":"); code = $2; sub(/^ /, "", code)
          if ($0 != "" && !((field[1] " " code) in ignored)) print }')
    if [[ -n $left ]]; then
        echo "$left"
        echo "$test: $(wc -l <<<"$left") error(s)"
        exit 1
    fi
    echo "$test: clean"
}

case $test in
validate-modules)
    # ansible-test's own validator, with the Python it runs under (which has Debian's voluptuous).
    ansible_test=$(command -v ansible-test) || skip "ansible-test not found (ansible-core)"
    python=$(sed -n '1s/^#! *//p' "$ansible_test")
    validator=$("$python" -c 'import ansible_test, os; print(os.path.join(os.path.dirname(ansible_test.__file__), "_util/controller/sanity/validate-modules/validate.py"))')
    "$python" -c 'import voluptuous' 2>/dev/null || skip "voluptuous not found (python3-voluptuous)"
    status=0
    json=$(PYTHONPATH=$root ANSIBLE_COLLECTIONS_PATH=$root "$python" "$validator" --format json \
        --arg-spec --collection "ansible_collections/${PWD#"$root"/ansible_collections/}" \
        --collection-version "$version" plugins/modules/*.py) || status=$?
    ((status == 0 || status == 3)) || { echo "$json"; exit 1; }
    report <<<"$("$python" -c 'import json, sys
for path, found in json.load(sys.stdin).items():
    for error in found["errors"]:
        print("%s:%s:%s: %s %s" % (path, error.get("line", 0), error.get("column", 0), error["code"], error["msg"]))' <<<"$json")"
    ;;
pep8)
    command -v pycodestyle >/dev/null || skip "pycodestyle not found"
    # ansible-test's settings: lines up to 160 characters, its list of ignored checks.
    found=$(pycodestyle --max-line-length 160 --config /dev/null --ignore E402,E741,W503,W504 \
        $(find plugins tests -name '*.py' | sort)) || true
    report <<<"$found"
    ;;
yamllint)
    command -v yamllint >/dev/null || skip "yamllint not found"
    found=$(yamllint --strict --format parsable --config-file .yamllint .) || true
    # "PATH:LINE:COLUMN: [error] MESSAGE (RULE)" as "PATH:LINE:COLUMN: RULE MESSAGE".
    report <<<"$(sed 's/: \[\(error\|warning\)\] \(.*\) (\(.*\))$/: \3 \2/' <<<"$found")"
    ;;
*)
    echo "usage: $0 validate-modules|pep8|yamllint COLLECTION" >&2
    exit 2
    ;;
esac
