// node-simconnect, written by others, as a client of our stand-in simulator:
// if both sides agree on every byte, this session goes through.
// Run as: node standin_interop.test.mjs PATH/TO/sim-standin. Without
// node-simconnect (scripts/install-interop installs it) it exits 77: skipped.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import net from 'node:net';

const simconnect = await import('node-simconnect').catch(() => {
  console.log('SKIP: node-simconnect is not installed; run scripts/install-interop');
  process.exit(77);
});
const { open, Protocol, InitPosition, SimConnectDataType: Type, SimObjectType } = simconnect;

const sim = spawn(process.argv[2], ['--timeout', '30', '--refuse', 'Refused Tree',
  '--scenario', 'launch 10; objects 1; objects 0; flight 12; answered; quit']);
process.on('exit', () => sim.kill());
const exited = once(sim, 'exit');
let account = '';
sim.stdout.setEncoding('latin1').on('data', (text) => { account += text; });
while (!/:\d+\n/.test(account)) await once(sim.stdout, 'data');
const port = Number(account.match(/listening on 127\.0\.0\.1:(\d+)\n/)[1]);

// A packet size below the header's drops that client, not the stand-in.
await once(net.connect(port, '127.0.0.1').resume().end(Buffer.from([8, 0, 0, 0])), 'close');

const { recvOpen: o, handle } = await open('Interop', Protocol.FSX_SP2, { host: '127.0.0.1', port });
const v = (of) => ['VersionMajor', 'VersionMinor', 'BuildMajor', 'BuildMinor'].map((f) => o[of + f]);
assert.deepEqual([o.applicationName, ...v('application'), ...v('simConnect')],
  ['Microsoft Flight Simulator X', 10, 0, 61472, 0, 10, 0, 61259, 0]);
const quit = once(handle, 'quit');
handle.addToDataDefinition(0, 'ZULU MONTH OF YEAR', 'Number', Type.INT32);
handle.addToDataDefinition(0, 'zulu month of year', 'number', Type.FLOAT64);
handle.subscribeToSystemEvent(3, 'SimStart');
async function month(id) {
  handle.requestDataOnSimObjectType(id, 0, 0, SimObjectType.USER);
  const [d] = await once(handle, 'simObjectDataByType');
  return [d.requestID, d.defineID, d.objectID, d.entryNumber, d.outOf, d.data.readInt32(),
    d.data.readFloat64()];
}
async function refused(sendId, exception, index) {
  const [e] = await once(handle, 'exception');
  assert.deepEqual([e.exception, e.sendId, e.index], [exception, sendId, index]);
}
assert.deepEqual(await month(1), [1, 0, 1, 1, 1, 10, 10]);
await refused(handle.addToDataDefinition(5, 'NO SUCH VARIABLE', 'Number'), 7, 2);

const position = Object.assign(new InitPosition(),
  { latitude: 47.25, longitude: -122.5, altitude: 350, onGround: true });
handle.aICreateSimulatedObject('Interop Tree', position, 7);
const [assigned] = await once(handle, 'assignedObjectID');
assert.deepEqual([assigned.requestID, assigned.objectID], [7, 1000]);
await refused(handle.aICreateSimulatedObject('Refused Tree', position, 8), 22, 1);
await refused(handle.aIRemoveObject(1001, 9), 3, 1);
handle.aIRemoveObject(1000, 10);

// "objects 0" passes once the removal is done; then a flight starts in December.
const [event] = await once(handle, 'event');
assert.deepEqual([event.groupID, event.clientEventId, event.data], [0xffffffff, 3, 0]);
assert.deepEqual(await month(2), [2, 0, 1, 1, 1, 12, 12]);
await quit;
handle.close();
assert.deepEqual(await exited, [0, null]);
assert.match(account, /client 1: dropped: packet size 8 is below the 16-byte header\n/);
assert.ok(account.includes(' ms: objects 1\n  standing:\n    1000 "Interop Tree" ' +
  'lat 47.250000 lon -122.500000 alt 350.00 ft\n') && !account.includes('gave up'), account);
