// Replays a recorded terminal session into xterm.js (@xterm/headless, the emulator of VS Code)
// and prints its screen at each snapshot. Input, one record a line:
//   T W H     a terminal of W x H cells      R W H     the terminal resized to W x H
//   B BASE64  bytes the terminal receives    S         a snapshot of the screen
// Output: for each snapshot one line per row, each cell as "code,fg,bg,flags" separated by
// spaces (fg and bg -1 for the default colour, else the palette index; flags: 1 bold, 2 dim,
// 4 underline, 8 italic, 16 blink, 32 inverse), then a line ".".
'use strict';
const { Terminal } = require('@xterm/headless');

function colour(isDefault, value) {
    return isDefault ? -1 : value;
}

function snapshot(term) {
    const buffer = term.buffer.active;
    const rows = [];
    for (let y = 0; y < term.rows; ++y) {
        const line = buffer.getLine(buffer.viewportY + y);
        const cells = [];
        for (let x = 0; x < term.cols; ++x) {
            const cell = line.getCell(x);
            const code = cell.getCode() || 32;
            const flags = (cell.isBold() ? 1 : 0) | (cell.isDim() ? 2 : 0) |
                (cell.isUnderline() ? 4 : 0) | (cell.isItalic() ? 8 : 0) |
                (cell.isBlink() ? 16 : 0) | (cell.isInverse() ? 32 : 0);
            cells.push(`${code},${colour(cell.isFgDefault(), cell.getFgColor())},` +
                       `${colour(cell.isBgDefault(), cell.getBgColor())},${flags}`);
        }
        rows.push(cells.join(' '));
    }
    process.stdout.write(rows.join('\n') + '\n.\n');
}

async function main() {
    const records = require('fs').readFileSync(0, 'latin1').split('\n');
    let term = null;
    for (const record of records) {
        const [op, a, b] = record.split(' ');
        if (op === 'T') {
            term = new Terminal({ cols: +a, rows: +b, scrollback: 0, allowProposedApi: true });
        } else if (op === 'R') {
            term.resize(+a, +b);
        } else if (op === 'B') {
            await new Promise((done) => term.write(Buffer.from(a, 'base64'), done));
        } else if (op === 'S') {
            snapshot(term);
        }
    }
}

main();
