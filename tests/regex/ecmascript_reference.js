// The reference side of the dialect test: runs each case through ECMAScript's own RegExp.
//
//   node ecmascript_reference.js CASES
//
// CASES holds one JSON object a line: {"p": pattern, "s": subject, "i": bool, "m": bool, "g": bool}.
// For each case one line is written: "error" when the pattern does not compile, otherwise the
// number of matches and of groups, then for every match its start and end and those of each
// group (-1 -1 for a group that took no part), all in UTF-16 units.
'use strict';
const fs = require('fs');

function run(c) {
    let regex;
    try {
        regex = new RegExp(c.p, 'd' + (c.i ? 'i' : '') + (c.m ? 'm' : '') + (c.g ? 'g' : ''));
    } catch (e) {
        return 'error';
    }
    // matchAll moves on by one unit after an empty match, as the global walk does.
    const matches = c.g ? [...c.s.matchAll(regex)] : [regex.exec(c.s)].filter((m) => m !== null);
    const groups = new RegExp(c.p + '|').exec('').length - 1;
    const numbers = [matches.length, groups];
    for (const match of matches) {
        for (const span of match.indices) {
            numbers.push(...(span === undefined ? [-1, -1] : span));
        }
    }
    return numbers.join(' ');
}

const lines = fs.readFileSync(process.argv[2], 'utf8').split('\n').filter((line) => line !== '');
process.stdout.write(lines.map((line) => run(JSON.parse(line))).join('\n') + '\n');
