#!/bin/sh
# Fails when a file under src/ includes a folder on its own floor or above,
# or lies in a folder on no floor. The floors, top to bottom; the folders of
# one floor are joined by commas.
floors="app shell startup,session,admin,settings shared widgets platform store"
cd "$1" || exit 2
grep -rHo '^#include "[a-z]*/' --include='*.h' --include='*.cpp' --include='*.in' . |
    awk -F'[/"]' -v floors="$floors" '
    BEGIN {
        for (i = split(floors, floor, " "); i > 0; i--)
            for (j = split(floor[i], folder, ","); j > 0; j--) at[folder[j]] = i
    }
    !($2 in at) { print "src/" $2 " is on no floor"; bad = 1; next }
    $4 in at && $4 != $2 && at[$4] <= at[$2] {
        print "src/" $2 "/" $3 $4 "/: " $2 " may include only the floors below its own"; bad = 1
    }
    END { exit bad }'
