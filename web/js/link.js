// The browser table's link to its room: WebSocket on the room's own port.
// The first message asks for the seat in a lobby's words; once the room
// says OK the table greets it, and from then on each binary message is one
// frame of the table's framing. A link cut off is opened again, asking for
// the seat back.
import { frame, send, unframe } from './wire.js';

const KEEP_ALIVE_MS = 15000;

export class Link {
  /**
   * @param {string} url
   * @param {{
   *   request(again: boolean): string,
   *   allowWatch(): boolean,
   *   onMessage(m: Uint8Array): void,
   *   onSeated(): void,
   *   onRefused(reason: string): void,
   *   onLost(reconnecting: boolean): void,
   * }} host
   */
  constructor(url, host) {
    this.url = url;
    this.host = host;
    /** @type {WebSocket | null} */
    this.socket = null;
    this.ended = false; // by the room's word or our own leave: no coming back
    this.again = false;
    this.retries = 0;
    /** @type {ReturnType<typeof setInterval> | undefined} */
    this.beat = undefined;
    this.lastSent = 0;
  }

  open() {
    const socket = new WebSocket(this.url);
    this.socket = socket;
    socket.binaryType = 'arraybuffer';
    socket.onopen = () => socket.send(this.host.request(this.again));
    socket.onmessage = (event) => {
      if (typeof event.data === 'string') {
        if (event.data === 'OK') {
          this.retries = 0;
          this.again = true;
          this.sendMessage(send.greeting(this.host.allowWatch()));
          this.host.onSeated();
        } else {
          this.ended = true;
          this.host.onRefused(event.data.replace(/^ERR\s*/, ''));
        }
        return;
      }
      const message = unframe(new Uint8Array(event.data));
      if (message) this.host.onMessage(message);
    };
    socket.onclose = (event) => {
      clearInterval(this.beat);
      if (this.socket !== socket) return;
      this.socket = null;
      // The room ends a link on purpose with a close frame, after its
      // reason; only a link cut off (1006) is opened again.
      const reconnecting = !this.ended && this.again && event.code === 1006 && this.retries < 20;
      this.host.onLost(reconnecting);
      if (reconnecting) {
        const wait = Math.min(1000 * 2 ** this.retries++, 10000);
        setTimeout(() => this.open(), wait);
      }
    };
    clearInterval(this.beat);
    this.beat = setInterval(() => {
      if (Date.now() - this.lastSent >= KEEP_ALIVE_MS - 500) this.sendFrame(new Uint8Array(4));
    }, 5000);
  }

  /** @param {Uint8Array} message */
  sendMessage(message) {
    this.sendFrame(frame(message));
  }

  /** @param {Uint8Array<ArrayBuffer>} bytes */
  sendFrame(bytes) {
    if (this.socket?.readyState === WebSocket.OPEN) {
      this.socket.send(bytes);
      this.lastSent = Date.now();
    }
  }

  close() {
    this.ended = true;
    this.socket?.close(1000);
  }
}
