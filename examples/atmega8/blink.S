; Source of blink.hex: ATmega8 on its internal 1 MHz RC oscillator, LED on PB0.
; At reset it flashes the LED (low nibble of the serial number + 1) times, quickly, then
; blinks once a second. The serial number is the 4 bytes at EEPROM 0..3, most significant
; first; the project increments it after each chip.

.equ SPL, 0x3D
.equ SPH, 0x3E
.equ DDRB, 0x17
.equ PORTB, 0x18
.equ EECR, 0x1C
.equ EEDR, 0x1D
.equ EEARL, 0x1E
.equ EEARH, 0x1F

.org 0x000
        rjmp    reset
.rept 18                        ; no interrupt is enabled; a stray one just returns
        reti
.endr

reset:  ldi     r16, 0x04       ; stack at the top of RAM (0x045F)
        out     SPH, r16
        ldi     r16, 0x5F
        out     SPL, r16
        sbi     DDRB, 0         ; PB0 drives the LED

ee_wait:
        sbic    EECR, 1         ; no EEPROM write in progress
        rjmp    ee_wait
        ldi     r16, 0
        out     EEARH, r16
        ldi     r16, 3          ; least significant byte of the serial number
        out     EEARL, r16
        sbi     EECR, 0
        in      r20, EEDR
        andi    r20, 0x0F
        inc     r20

flash:  sbi     PORTB, 0
        rcall   short_delay
        cbi     PORTB, 0
        rcall   short_delay
        dec     r20
        brne    flash

main:   sbi     PORTB, 0
        rcall   long_delay
        cbi     PORTB, 0
        rcall   long_delay
        rjmp    main

long_delay:                     ; about 500 ms
        ldi     r19, 4
ld1:    rcall   short_delay
        dec     r19
        brne    ld1
        ret

short_delay:                    ; about 125 ms: 163 x 256 x 3 cycles
        ldi     r18, 163
sd1:    ldi     r17, 0
sd2:    dec     r17
        brne    sd2
        dec     r18
        brne    sd1
        ret

id:     .asciz  "tovelisp example: blink on PB0 at 1 MHz; serial number in EEPROM 0..3"

; What the ELF built from this source carries besides the program (blink.hex and blink.eep are
; the same bytes as separate files).
        .section .eeprom, "aw", @progbits
        .byte   0x00, 0x00, 0x00, 0x01  ; serial number, most significant first
        .ascii  "TVL1"
        .byte   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF
        .section .fuse, "aw", @progbits
        .byte   0xA1, 0xD9              ; low, high: see README.md
